// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

namespace vellumbox::bench {

double median(QList<double> values);
// "name: median 3.41 ms (min 3.20, max 4.02, n 30)"
void report(const QString& name, const QList<double>& milliseconds);
void reportValue(const QString& name, double value, const QString& unit);

} // namespace vellumbox::bench
