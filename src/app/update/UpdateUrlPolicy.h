// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QUrl>

namespace vellumbox {

// Feeds and packages come over HTTPS; plain HTTP only from this machine, where tests serve
// them and nobody sits in between.
bool isAllowedUpdateUrl(const QUrl& url);

// Once on HTTPS, always on HTTPS, even towards this machine.
bool isAllowedRedirect(const QUrl& from, const QUrl& to);

} // namespace vellumbox
