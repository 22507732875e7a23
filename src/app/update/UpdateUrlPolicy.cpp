// SPDX-License-Identifier: GPL-3.0-or-later
#include "UpdateUrlPolicy.h"

#include <QHostAddress>

namespace vellumbox {

namespace {

bool isLoopbackHost(const QString& host)
{
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

} // namespace

bool isAllowedUpdateUrl(const QUrl& url)
{
    if (!url.isValid() || url.host().isEmpty() || !url.userInfo().isEmpty())
        return false;
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("https"))
        return true;
    return scheme == QLatin1String("http") && isLoopbackHost(url.host());
}

bool isAllowedRedirect(const QUrl& from, const QUrl& to)
{
    const bool leavesHttps =
        from.scheme() == QLatin1String("https") && to.scheme() != QLatin1String("https");
    return !leavesHttps && isAllowedUpdateUrl(to);
}

} // namespace vellumbox
