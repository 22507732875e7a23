// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AlertPresenter.h"

namespace vellumbox {

class QtAlertPresenter final : public AlertPresenter {
public:
    int runModal(const Alert& alert) override;
};

} // namespace vellumbox
