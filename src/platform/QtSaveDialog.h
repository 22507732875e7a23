// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "SaveDialog.h"

namespace vellumbox {

// The path with ".png" appended (".jpg" when JPEG was chosen) unless it already ends in an
// image extension: a name such as "... at 3.45 PM" would otherwise keep " PM" as its suffix.
QString withImageSuffix(const QString& path, bool jpegChosen);

// Qt's file dialog, opening where the last save went (the Pictures folder at first).
class QtSaveDialog final : public SaveDialog {
public:
    void ask(const QString& proposedName,
             std::function<void(std::optional<QString>)> onAnswer) override;

private:
    QString lastDirectory_;
};

} // namespace vellumbox
