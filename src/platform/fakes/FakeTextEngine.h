// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "../TextEngine.h"

#include <atomic>

namespace vellumbox::fakes {

// Loads at once and reads nothing: the fake platform's engine, which no test reads text with
// (a floating screenshot reads through FakeTextRecognizer).
class FakeTextEngine final : public TextEngine {
public:
    std::optional<QString> load() override
    {
        ++loads;
        return std::nullopt;
    }
    QList<EngineLine> read(const QImage&, const QRect&, EngineLayout) override { return {}; }
    std::unique_ptr<TextEngine> twin() override { return std::make_unique<FakeTextEngine>(); }
    void release() override {}

    std::atomic<int> loads = 0;
};

} // namespace vellumbox::fakes
