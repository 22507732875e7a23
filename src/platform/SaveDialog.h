// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <functional>
#include <optional>

namespace vellumbox {

// Asks where to save an image, without blocking: PNG and JPEG, a proposed name, folders may be
// created, kept above the floating screenshots. The answer is the chosen path, or none.
class SaveDialog {
public:
    virtual ~SaveDialog() = default;
    virtual void ask(const QString& proposedName,
                     std::function<void(std::optional<QString>)> onAnswer) = 0;
};

} // namespace vellumbox
