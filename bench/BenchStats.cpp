// SPDX-License-Identifier: GPL-3.0-or-later
#include "BenchStats.h"

#include <algorithm>
#include <cstdio>

namespace vellumbox::bench {

double median(QList<double> values)
{
    if (values.isEmpty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const qsizetype middle = values.size() / 2;
    return values.size() % 2 ? values.at(middle) : (values.at(middle - 1) + values.at(middle)) / 2;
}

void report(const QString& name, const QList<double>& milliseconds)
{
    if (milliseconds.isEmpty()) {
        std::printf("%-52s no measurement\n", qPrintable(name));
        return;
    }
    const auto [low, high] = std::minmax_element(milliseconds.begin(), milliseconds.end());
    std::printf("%-52s median %8.2f ms  (min %.2f, max %.2f, n %lld)\n", qPrintable(name),
                median(milliseconds), *low, *high, static_cast<long long>(milliseconds.size()));
    std::fflush(stdout);
}

void reportValue(const QString& name, double value, const QString& unit)
{
    std::printf("%-52s %8.2f %s\n", qPrintable(name), value, qPrintable(unit));
    std::fflush(stdout);
}

} // namespace vellumbox::bench
