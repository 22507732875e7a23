// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer entry for the update feed reader: whatever the bytes, reading them must not crash,
// and what it accepts must hold together.
#include "app/update/Appcast.h"
#include "app/update/Version.h"

#include <cstddef>
#include <cstdint>

using namespace vellumbox;

namespace {

void require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

int sign(int value)
{
    return (value > 0) - (value < 0);
}

void checkItem(const AppcastItem& item)
{
    require(!item.version.isEmpty());
    require(item.enclosureLength > 0);
    require(item.enclosureUrl.isValid() && !item.enclosureUrl.host().isEmpty());
    require(item.edSignature.isEmpty() || item.edSignature.size() == ed25519SignatureBytes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const AppcastParseResult result = parseAppcast(bytes);
    require(result.appcast.has_value() != !result.error.isEmpty());
    if (!result.appcast)
        return 0;
    const QList<AppcastItem>& items = result.appcast->items;
    for (const AppcastItem& item : items) {
        checkItem(item);
        // Version order must be a consistent order whatever the feed calls a version.
        require(compareVersions(item.version, item.version) == 0);
        for (const AppcastItem& other : items)
            require(sign(compareVersions(item.version, other.version)) ==
                    -sign(compareVersions(other.version, item.version)));
    }
    const auto best = bestAppcastItem(items, QStringLiteral("1.0"), QStringLiteral("6.1.0"));
    if (best) {
        require(compareVersions(best->version, QStringLiteral("1.0")) > 0);
        for (const AppcastItem& item : items)
            require(!item.minimumSystemVersion.isEmpty() ||
                    compareVersions(item.version, best->version) <= 0);
    }
    return 0;
}
