// SPDX-License-Identifier: GPL-3.0-or-later
#include "QtSaveDialog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QStandardPaths>
#include <QTimer>

namespace vellumbox {

void QtSaveDialog::ask(const QString& proposedName,
                       std::function<void(std::optional<QString>)> onAnswer)
{
    if (lastDirectory_.isEmpty()) {
        const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
        lastDirectory_ = QDir(pictures).exists() ? pictures : QDir::homePath();
    }
    auto* dialog = new QFileDialog(nullptr, QStringLiteral("Save Screenshot"), lastDirectory_);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setNameFilters(
        {QStringLiteral("PNG image (*.png)"), QStringLiteral("JPEG image (*.jpg *.jpeg)")});
    dialog->setDefaultSuffix(QStringLiteral("png"));
    dialog->selectFile(proposedName + QStringLiteral(".png"));
    // Above the floating screenshots, which stay on top of ordinary windows.
    dialog->setWindowFlag(Qt::WindowStaysOnTopHint);
    QObject::connect(dialog, &QFileDialog::finished, dialog, [this, dialog, onAnswer](int result) {
        std::optional<QString> path;
        if (result == QDialog::Accepted && !dialog->selectedFiles().isEmpty()) {
            path = dialog->selectedFiles().first();
            lastDirectory_ = QFileInfo(*path).absolutePath();
        }
        // Answered once the dialog is gone, so that an alert about the save never sits on
        // top of it.
        QTimer::singleShot(0, QCoreApplication::instance(), [onAnswer, path] { onAnswer(path); });
    });
    dialog->open();
    dialog->raise();
    dialog->activateWindow();
}

} // namespace vellumbox
