#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package from the build tree in a scratch folder, then checks it as apt and
# lintian would: its files, its dependencies, lintian's verdict, and that the program it holds
# runs.
set -eu
build_dir="$1"
scratch=$(mktemp -d -t vellumbox-package.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "$*" >&2; exit 1; }
cpack --config "$build_dir/CPackConfig.cmake" -B "$scratch" >"$scratch/cpack.log" 2>&1 ||
    fail "$(cat "$scratch/cpack.log")"
deb=$(find "$scratch" -maxdepth 1 -name 'vellumbox_*.deb')
arch=$(dpkg --print-architecture)
[[ $(basename "$deb") =~ ^vellumbox_[0-9.]+-[0-9]+_${arch}\.deb$ ]] || fail "unexpected package name: $deb"

root="$scratch/root"
dpkg-deb -x "$deb" "$root"
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
for f in usr/bin/vellumbox "usr/lib/$multiarch/vellumbox/libvellumbox_tesseract.so" \
    usr/share/applications/org.vellumbox.Vellumbox.desktop \
    usr/share/icons/hicolor/scalable/apps/org.vellumbox.Vellumbox.svg \
    usr/share/metainfo/org.vellumbox.Vellumbox.metainfo.xml \
    usr/share/vellumbox/translations/vellumbox_de.qm usr/share/vellumbox/translations/vellumbox_fr.qm \
    usr/share/man/man1/vellumbox.1.gz usr/share/doc/vellumbox/copyright \
    usr/share/doc/vellumbox/changelog.Debian.gz; do
    [ -e "$root/$f" ] || fail "not in the package: /$f"
done
# Nothing outside /usr: removing the package leaves only the user's own files behind.
[ "$(ls "$root")" = usr ] || fail "the package installs outside /usr: $(ls "$root")"

depends=$(dpkg-deb -f "$deb" Depends)
recommends=$(dpkg-deb -f "$deb" Recommends)
for library in libqt6widgets6 libqt6dbus6 libtesseract5 libsodium23 libwayland-client0; do
    grep -q "$library" <<<"$depends" || fail "Depends lacks $library: $depends"
done
for package in tesseract-ocr-eng xdg-utils; do
    grep -q "$package" <<<"$recommends" || fail "Recommends lacks $package: $recommends"
done

# Errors fail; the warnings left are explained by the overrides shipped with the package.
lintian --fail-on error,warning "$deb" >"$scratch/lintian.log" 2>&1 ||
    fail "lintian found faults: $(cat "$scratch/lintian.log")"

version=$(QT_QPA_PLATFORM=offscreen "$root/usr/bin/vellumbox" --version 2>/dev/null)
[ "$version" = "Vellumbox $(dpkg-deb -f "$deb" Version | cut -d- -f1)" ] || fail "--version said: $version"
QT_QPA_PLATFORM=offscreen LANGUAGE=fr "$root/usr/bin/vellumbox" --help 2>/dev/null |
    grep -q 'Commencer une capture' || fail "the packaged program is not translated"
man -l "$root/usr/share/man/man1/vellumbox.1.gz" 2>&1 | grep -q 'vellumbox --capture' ||
    fail "the manual page does not render"
echo "$(basename "$deb") is complete and lintian-clean"
