// SPDX-License-Identifier: GPL-3.0-or-later
#include "QtSaveDialog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>

namespace vellumbox {

namespace {

struct QtSaveDialogText {
    Q_DECLARE_TR_FUNCTIONS(QtSaveDialog)
};

QString jpegFilter()
{
    return QtSaveDialogText::tr("JPEG image (*.jpg *.jpeg)");
}

// Completes the name before the dialog's own check for an existing file, so that the file
// really written is the one the user was asked about.
class ImageFileDialog final : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    void accept() override
    {
        // A bare name gets the suffix of the format chosen, not always ".png".
        const bool jpeg = selectedNameFilter() == jpegFilter();
        setDefaultSuffix(jpeg ? QStringLiteral("jpg") : QStringLiteral("png"));
        const QStringList files = selectedFiles();
        if (!files.isEmpty()) {
            const QString completed = withImageSuffix(files.first(), jpeg);
            if (completed != files.first())
                selectFile(completed);
        }
        QFileDialog::accept();
    }
};

} // namespace

QString withImageSuffix(const QString& path, bool jpegChosen)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QStringLiteral("png") || suffix == QStringLiteral("jpg") ||
        suffix == QStringLiteral("jpeg"))
        return path;
    return path + (jpegChosen ? QStringLiteral(".jpg") : QStringLiteral(".png"));
}

void QtSaveDialog::ask(const QString& proposedName,
                       std::function<void(std::optional<QString>)> onAnswer)
{
    if (lastDirectory_.isEmpty()) {
        const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
        lastDirectory_ = QDir(pictures).exists() ? pictures : QDir::homePath();
    }
    auto* dialog =
        new ImageFileDialog(nullptr, QtSaveDialogText::tr("Save Screenshot"), lastDirectory_);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setNameFilters({QtSaveDialogText::tr("PNG image (*.png)"), jpegFilter()});
    dialog->setDefaultSuffix(QStringLiteral("png"));
    dialog->selectFile(proposedName + QStringLiteral(".png"));
    // Above the floating screenshots, which stay on top of ordinary windows.
    dialog->setWindowFlag(Qt::WindowStaysOnTopHint);
    QObject::connect(dialog, &QFileDialog::finished, dialog, [this, dialog, onAnswer](int result) {
        std::optional<QString> path;
        if (result == QDialog::Accepted && !dialog->selectedFiles().isEmpty()) {
            // A native dialog does not go through accept(): complete the name here too.
            path = withImageSuffix(dialog->selectedFiles().first(),
                                   dialog->selectedNameFilter() == jpegFilter());
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
