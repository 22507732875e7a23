// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScreenshotMenu.h"

#include "InteractionRules.h"

#include <QMenu>

#include <array>

namespace vellumbox {

namespace {

void addResizeMenu(QMenu& menu, double displayScale, const ScreenshotMenuActions& actions)
{
    QMenu* resizeMenu = menu.addMenu(QStringLiteral("Resize"));
    for (const ResizePreset& preset : resizePresets(displayScale)) {
        QAction* item = resizeMenu->addAction(
            preset.title, [resize = actions.resize, tag = preset.tag] { resize(tag); });
        item->setEnabled(preset.enabled);
        item->setCheckable(preset.checked);
        item->setChecked(preset.checked);
    }
}

void addEditMenu(QMenu& menu, bool editing, const ScreenshotMenuActions& actions)
{
    QMenu* editMenu = menu.addMenu(QStringLiteral("Edit"));
    const std::array<std::pair<const char*, AnnotationToolType>, 5> tools{
        {{"Pencil", AnnotationToolType::pencil},
         {"Circle", AnnotationToolType::circle},
         {"Square", AnnotationToolType::square},
         {"Arrow", AnnotationToolType::arrow},
         {"Highlight", AnnotationToolType::highlight}}};
    for (const auto& [title, tool] : tools)
        editMenu->addAction(QString::fromLatin1(title),
                            [edit = actions.edit, tool = tool] { edit(tool); });
    editMenu->addSeparator();
    editMenu->addAction(QStringLiteral("Clear Edits"), actions.clearEdits);
    if (editing)
        editMenu->addAction(QStringLiteral("Exit Edit Mode"), actions.exitEditMode);
}

} // namespace

std::unique_ptr<QMenu> buildScreenshotMenu(const ScreenshotMenuState& state,
                                           const ScreenshotMenuActions& actions)
{
    auto menu = std::make_unique<QMenu>();
    menu->addAction(QStringLiteral("Copy to Clipboard"), actions.copy);
    menu->addAction(QStringLiteral("Scan Text (OCR)"), actions.scanText);
    menu->addAction(QStringLiteral("Save as File..."), actions.save);
    QMenu* shareMenu = menu->addMenu(QStringLiteral("Share"));
    for (const ShareTarget& target : state.shareTargets)
        shareMenu->addAction(target.icon, target.name,
                             [share = actions.share, target] { share(target); });
    menu->addSeparator();
    menu->addAction(state.pinned ? QStringLiteral("Unpin") : QStringLiteral("Pin"),
                    actions.togglePin);
    addResizeMenu(*menu, state.displayScale, actions);
    QMenu* rotateMenu = menu->addMenu(QStringLiteral("Rotate"));
    rotateMenu->addAction(QStringLiteral("Rotate 90° Clockwise"),
                          [rotate = actions.rotate] { rotate(90); });
    rotateMenu->addAction(QStringLiteral("Rotate 90° Counter-Clockwise"),
                          [rotate = actions.rotate] { rotate(-90); });
    menu->addSeparator();
    menu->addAction(QStringLiteral("Close All Screenshots"), actions.closeAll);
    addEditMenu(*menu, state.editing, actions);
    menu->addAction(QStringLiteral("Close"), actions.close);
    return menu;
}

} // namespace vellumbox
