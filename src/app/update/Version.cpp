// SPDX-License-Identifier: GPL-3.0-or-later
#include "Version.h"

#include <QList>

namespace vellumbox {

namespace {

// A part the shorter version lacks reads as a zero: "1.0" equals "1.0.0", "1.0.1" is newer
// than "1.0", and a pre-release's letters lose against it.
struct Part {
    bool numeric = true;
    QStringView text = u"0";
};

QList<Part> splitVersion(QStringView version)
{
    QList<Part> parts;
    qsizetype i = 0;
    while (i < version.size()) {
        const QChar c = version.at(i);
        if (!c.isLetterOrNumber()) {
            ++i;
            continue;
        }
        const bool numeric = c.isDigit();
        const qsizetype start = i;
        while (i < version.size() && version.at(i).isLetterOrNumber() &&
               version.at(i).isDigit() == numeric)
            ++i;
        QStringView text = version.sliced(start, i - start);
        if (numeric) {
            // Leading zeros would make the longer run look bigger.
            while (text.size() > 1 && text.front() == QLatin1Char('0'))
                text = text.sliced(1);
        }
        parts.append({numeric, text});
    }
    return parts;
}

int sign(qsizetype value)
{
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

// Numbers are compared as digit strings so that no part can overflow.
int compareParts(const Part& a, const Part& b)
{
    if (a.numeric != b.numeric)
        return a.numeric ? 1 : -1; // 2.0.1 is newer than 2.0b
    if (a.numeric && a.text.size() != b.text.size())
        return sign(a.text.size() - b.text.size());
    return sign(a.text.compare(b.text, Qt::CaseInsensitive));
}

} // namespace

int compareVersions(QStringView a, QStringView b)
{
    const QList<Part> left = splitVersion(a);
    const QList<Part> right = splitVersion(b);
    const qsizetype count = std::max(left.size(), right.size());
    for (qsizetype i = 0; i < count; ++i) {
        if (const int order = compareParts(left.value(i), right.value(i)); order != 0)
            return order;
    }
    return 0;
}

} // namespace vellumbox
