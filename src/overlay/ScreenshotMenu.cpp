// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScreenshotMenu.h"

#include "InteractionRules.h"

#include <QCoreApplication>
#include <QMenu>

#include <array>

namespace vellumbox {

namespace {

struct ScreenshotMenu {
    Q_DECLARE_TR_FUNCTIONS(ScreenshotMenu)
};

void addResizeMenu(QMenu& menu, double displayScale, const ScreenshotMenuActions& actions)
{
    QMenu* resizeMenu = menu.addMenu(ScreenshotMenu::tr("Resize"));
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
    QMenu* editMenu = menu.addMenu(ScreenshotMenu::tr("Edit"));
    const std::array<std::pair<const char*, AnnotationToolType>, 5> tools{
        {{QT_TRANSLATE_NOOP("ScreenshotMenu", "Pencil"), AnnotationToolType::pencil},
         {QT_TRANSLATE_NOOP("ScreenshotMenu", "Circle"), AnnotationToolType::circle},
         {QT_TRANSLATE_NOOP("ScreenshotMenu", "Square"), AnnotationToolType::square},
         {QT_TRANSLATE_NOOP("ScreenshotMenu", "Arrow"), AnnotationToolType::arrow},
         {QT_TRANSLATE_NOOP("ScreenshotMenu", "Highlight"), AnnotationToolType::highlight}}};
    for (const auto& [title, tool] : tools)
        editMenu->addAction(ScreenshotMenu::tr(title),
                            [edit = actions.edit, tool = tool] { edit(tool); });
    editMenu->addSeparator();
    editMenu->addAction(ScreenshotMenu::tr("Clear Edits"), actions.clearEdits);
    if (editing)
        editMenu->addAction(ScreenshotMenu::tr("Exit Edit Mode"), actions.exitEditMode);
}

} // namespace

std::unique_ptr<QMenu> buildScreenshotMenu(const ScreenshotMenuState& state,
                                           const ScreenshotMenuActions& actions)
{
    auto menu = std::make_unique<QMenu>();
    menu->addAction(ScreenshotMenu::tr("Copy to Clipboard"), actions.copy);
    menu->addAction(ScreenshotMenu::tr("Scan Text (OCR)"), actions.scanText);
    menu->addAction(ScreenshotMenu::tr("Save as File..."), actions.save);
    QMenu* shareMenu = menu->addMenu(ScreenshotMenu::tr("Share"));
    for (const ShareTarget& target : state.shareTargets)
        shareMenu->addAction(target.icon, target.name,
                             [share = actions.share, target] { share(target); });
    menu->addSeparator();
    menu->addAction(state.pinned ? ScreenshotMenu::tr("Unpin") : ScreenshotMenu::tr("Pin"),
                    actions.togglePin);
    addResizeMenu(*menu, state.displayScale, actions);
    QMenu* rotateMenu = menu->addMenu(ScreenshotMenu::tr("Rotate"));
    rotateMenu->addAction(ScreenshotMenu::tr("Rotate 90° Clockwise"),
                          [rotate = actions.rotate] { rotate(90); });
    rotateMenu->addAction(ScreenshotMenu::tr("Rotate 90° Counter-Clockwise"),
                          [rotate = actions.rotate] { rotate(-90); });
    menu->addSeparator();
    menu->addAction(ScreenshotMenu::tr("Close All Screenshots"), actions.closeAll);
    addEditMenu(*menu, state.editing, actions);
    menu->addAction(ScreenshotMenu::tr("Close"), actions.close);
    return menu;
}

} // namespace vellumbox
