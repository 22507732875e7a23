// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "../TextEngine.h"

#include <functional>

namespace vellumbox::fakes {

// Answers each read through `answer` (nothing without one) or fails to load; counts the twins
// it made and its releases. Its twins answer alike, possibly on another thread.
class FakeTextEngine final : public TextEngine {
public:
    std::function<QList<EngineLine>(const QImage&, const QRect&, EngineLayout)> answer;
    std::optional<QString> failWith;
    int twins = 0;
    int releases = 0;

    std::optional<QString> load() override { return failWith; }
    QList<EngineLine> read(const QImage& gray, const QRect& region, EngineLayout layout) override
    {
        return answer ? answer(gray, region, layout) : QList<EngineLine>();
    }
    std::unique_ptr<TextEngine> twin() override
    {
        ++twins;
        auto other = std::make_unique<FakeTextEngine>();
        other->answer = answer;
        return other;
    }
    void release() override { ++releases; }
};

} // namespace vellumbox::fakes
