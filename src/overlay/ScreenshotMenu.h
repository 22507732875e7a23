// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "annotation/Annotation.h"
#include "platform/ShareService.h"

#include <QList>

#include <functional>
#include <memory>

class QMenu;

namespace vellumbox {

// What the context menu of a floating screenshot shows depends on.
struct ScreenshotMenuState {
    bool pinned = false;
    bool editing = false;
    double displayScale = 1.0;
    QList<ShareTarget> shareTargets;
};

// What its items do.
struct ScreenshotMenuActions {
    std::function<void()> copy;
    std::function<void()> scanText;
    std::function<void()> save;
    std::function<void(const ShareTarget&)> share;
    std::function<void()> togglePin;
    std::function<void(int percent)> resize;
    std::function<void(int degrees)> rotate;
    std::function<void()> closeAll;
    std::function<void(AnnotationToolType)> edit;
    std::function<void()> clearEdits;
    std::function<void()> exitEditMode;
    std::function<void()> close;
};

std::unique_ptr<QMenu> buildScreenshotMenu(const ScreenshotMenuState& state,
                                           const ScreenshotMenuActions& actions);

} // namespace vellumbox
