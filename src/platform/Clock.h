// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QElapsedTimer>

namespace vellumbox {

// Time as the interaction rules read it; tests set it by hand.
class Clock {
public:
    virtual ~Clock() = default;
    // Monotonic milliseconds.
    virtual qint64 nowMs() const = 0;
    virtual QDateTime currentDateTime() const = 0;
};

class SystemClock final : public Clock {
public:
    SystemClock() { timer_.start(); }
    qint64 nowMs() const override { return timer_.elapsed(); }
    QDateTime currentDateTime() const override { return QDateTime::currentDateTime(); }

private:
    QElapsedTimer timer_;
};

} // namespace vellumbox
