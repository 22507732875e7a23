// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CursorService.h"

namespace vellumbox {

// Holds at most one application override cursor of its own, so that other users of the
// override stack are left alone.
class QtCursorService final : public CursorService {
public:
    void setCurrent(const QCursor& cursor) override;
    void restoreArrow() override;

private:
    bool overriding_ = false;
};

} // namespace vellumbox
