// SPDX-License-Identifier: GPL-3.0-or-later
#include "QtSaveDialog.h"

#include <QFileDialog>

namespace vellumbox {

void QtSaveDialog::ask(const QString& proposedName,
                       std::function<void(std::optional<QString>)> onAnswer)
{
    auto* dialog = new QFileDialog;
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(QStringLiteral("Save Screenshot"));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setNameFilters(
        {QStringLiteral("PNG image (*.png)"), QStringLiteral("JPEG image (*.jpg *.jpeg)")});
    dialog->setDefaultSuffix(QStringLiteral("png"));
    dialog->selectFile(proposedName + QStringLiteral(".png"));
    // Above the floating screenshots, which stay on top of ordinary windows.
    dialog->setWindowFlag(Qt::WindowStaysOnTopHint);
    auto answered = std::make_shared<bool>(false);
    QObject::connect(dialog, &QFileDialog::fileSelected, dialog,
                     [onAnswer, answered](const QString& path) {
                         *answered = true;
                         onAnswer(path);
                     });
    QObject::connect(dialog, &QFileDialog::finished, dialog, [onAnswer, answered](int) {
        if (!*answered)
            onAnswer(std::nullopt);
    });
    dialog->open();
    dialog->raise();
    dialog->activateWindow();
}

} // namespace vellumbox
