// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "SaveDialog.h"

namespace vellumbox {

class QtSaveDialog final : public SaveDialog {
public:
    void ask(const QString& proposedName,
             std::function<void(std::optional<QString>)> onAnswer) override;
};

} // namespace vellumbox
