#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a scratch prefix and checks what a desktop reads from it: the menu
# entry, its icon in the hicolor theme, the AppStream metadata and the program they name.
set -eu
build_dir="$1"
prefix=$(mktemp -d -t vellumbox-install.XXXXXX)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "$*" >&2; exit 1; }
cmake --install "$build_dir" --prefix "$prefix" >/dev/null

entry="$prefix/share/applications/org.vellumbox.Vellumbox.desktop"
icon="$prefix/share/icons/hicolor/scalable/apps/org.vellumbox.Vellumbox.svg"
metainfo="$prefix/share/metainfo/org.vellumbox.Vellumbox.metainfo.xml"
for f in "$entry" "$icon" "$metainfo" "$prefix/bin/vellumbox"; do
    [ -e "$f" ] || fail "not installed: $f"
done
desktop-file-validate "$entry"
appstreamcli validate --no-net --pedantic "$metainfo"
grep -qx 'Icon=org.vellumbox.Vellumbox' "$entry"
grep -qx 'Exec=vellumbox --capture' "$entry"
grep -q '<svg' "$icon"
module=$(find "$prefix" -path '*/vellumbox/libvellumbox_tesseract.so')
[ -n "$module" ] || fail "the text recognition module is not installed"
version=$(QT_QPA_PLATFORM=offscreen "$prefix/bin/vellumbox" --version 2>/dev/null | awk '{print $2}')
grep -q "<release version=\"$version\"" "$metainfo" || fail "metadata does not list version $version"
# The installed program finds its translations next to it.
QT_QPA_PLATFORM=offscreen LANGUAGE=de "$prefix/bin/vellumbox" --help 2>/dev/null |
    grep -q 'Eine Aufnahme beginnen' || fail "the installed program is not translated"
echo "installed files are complete and valid"
