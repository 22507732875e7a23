// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "SaveDialog.h"

namespace vellumbox {

// Qt's file dialog, opening where the last save went (the Pictures folder at first).
class QtSaveDialog final : public SaveDialog {
public:
    void ask(const QString& proposedName,
             std::function<void(std::optional<QString>)> onAnswer) override;

private:
    QString lastDirectory_;
};

} // namespace vellumbox
