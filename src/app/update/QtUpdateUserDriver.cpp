// SPDX-License-Identifier: GPL-3.0-or-later
#include "QtUpdateUserDriver.h"

#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

namespace vellumbox {

namespace {

QString windowTitle()
{
    return QtUpdateUserDriver::tr("Software Update");
}

void openIfSecure(const QUrl& url)
{
    // Feed text chooses these links; only web pages are opened from it.
    if (url.scheme() == QLatin1String("https"))
        QDesktopServices::openUrl(url);
}

QTextBrowser* releaseNotesView(const AppcastItem& update)
{
    auto* notes = new QTextBrowser;
    notes->setOpenLinks(false);
    QObject::connect(notes, &QTextBrowser::anchorClicked, notes, &openIfSecure);
    if (Qt::mightBeRichText(update.description))
        notes->setHtml(update.description);
    else
        notes->setPlainText(update.description);
    notes->setMinimumHeight(180);
    return notes;
}

QDialog* makeUpdateDialog(const AppcastItem& update, const QString& currentVersion)
{
    auto* dialog = new QDialog;
    dialog->setWindowTitle(windowTitle());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(dialog);
    auto* heading = new QLabel(QtUpdateUserDriver::tr("A new version of Vellumbox is available!"));
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    layout->addWidget(heading);
    auto* text = new QLabel(QtUpdateUserDriver::tr("Vellumbox %1 is now available—you have %2. "
                                                   "Would you like to download it now?")
                                .arg(update.displayVersion(), currentVersion));
    text->setWordWrap(true);
    layout->addWidget(text);
    if (!update.description.isEmpty()) {
        layout->addWidget(new QLabel(QtUpdateUserDriver::tr("Release Notes:")));
        layout->addWidget(releaseNotesView(update));
    }
    if (update.releaseNotesLink.scheme() == QLatin1String("https")) {
        auto* link = new QLabel(
            QtUpdateUserDriver::tr("<a href=\"%1\">Read the release notes</a>")
                .arg(update.releaseNotesLink.toString(QUrl::FullyEncoded).toHtmlEscaped()));
        QObject::connect(link, &QLabel::linkActivated, link,
                         [](const QString& href) { openIfSecure(QUrl(href)); });
        layout->addWidget(link);
    }
    layout->addWidget(new QDialogButtonBox);
    return dialog;
}

void addChoices(QDialog* dialog, std::function<void(UpdateChoice)> reply)
{
    auto* box = dialog->findChild<QDialogButtonBox*>();
    // Answers once, whichever way the window goes.
    auto answer = std::make_shared<std::function<void(UpdateChoice)>>(std::move(reply));
    auto choose = [answer](UpdateChoice choice) {
        auto callback = std::move(*answer);
        *answer = nullptr;
        if (callback)
            callback(choice);
    };
    auto addChoice = [&](const QString& title, QDialogButtonBox::ButtonRole role,
                         UpdateChoice choice) {
        QPushButton* button = box->addButton(title, role);
        QObject::connect(button, &QPushButton::clicked, dialog, [dialog, choose, choice] {
            choose(choice);
            dialog->close();
        });
        return button;
    };
    addChoice(QtUpdateUserDriver::tr("Skip This Version"), QDialogButtonBox::DestructiveRole,
              UpdateChoice::Skip);
    addChoice(QtUpdateUserDriver::tr("Remind Me Later"), QDialogButtonBox::RejectRole,
              UpdateChoice::RemindLater);
    addChoice(QtUpdateUserDriver::tr("Install Update"), QDialogButtonBox::AcceptRole,
              UpdateChoice::Install)
        ->setDefault(true);
    // Closing the window is a "later".
    QObject::connect(dialog, &QDialog::finished, dialog,
                     [choose] { choose(UpdateChoice::RemindLater); });
}

template <typename Window> void discard(QPointer<Window>& pointer)
{
    QWidget* window = pointer;
    pointer.clear();
    if (!window)
        return;
    // Nothing it says on its way out is an answer.
    QObject::disconnect(window, nullptr, nullptr, nullptr);
    window->hide();
    window->deleteLater();
}

} // namespace

QtUpdateUserDriver::~QtUpdateUserDriver()
{
    closeAll();
}

void QtUpdateUserDriver::showNoFeed()
{
    // Asked from the tray; a build without a feed never checks by itself.
    showMessage(false, tr("Check for Updates"),
                tr("This build of Vellumbox has no update feed, so it cannot check for updates."));
}

void QtUpdateUserDriver::showUpToDate(const QString& currentVersion, const QString& skippedVersion)
{
    showMessage(
        false, tr("You're up to date!"),
        skippedVersion.isEmpty()
            ? tr("Vellumbox %1 is currently the newest version available.").arg(currentVersion)
            : tr("You chose to skip Vellumbox %1, the newest version available. "
                 "You have %2.")
                  .arg(skippedVersion, currentVersion));
}

void QtUpdateUserDriver::showUpdateFound(const AppcastItem& update, const QString& currentVersion,
                                         std::function<void(UpdateChoice)> reply)
{
    discard(updateDialog_);
    QDialog* dialog = makeUpdateDialog(update, currentVersion);
    addChoices(dialog, std::move(reply));
    updateDialog_ = dialog;
    present(dialog);
}

void QtUpdateUserDriver::showDownloadStarted(const QString& version, std::function<void()> cancel)
{
    discard(progress_);
    auto* progress =
        new QProgressDialog(tr("Downloading Vellumbox %1…").arg(version), tr("Cancel"), 0, 100);
    progress->setWindowTitle(windowTitle());
    progress->setAttribute(Qt::WA_DeleteOnClose);
    progress->setAutoClose(false);
    progress->setAutoReset(false);
    progress->setMinimumDuration(0);
    progress->setValue(0);
    QObject::connect(progress, &QProgressDialog::canceled, progress, [cancel = std::move(cancel)] {
        if (cancel)
            cancel();
    });
    progress_ = progress;
    present(progress);
}

void QtUpdateUserDriver::showDownloadProgress(qint64 received, qint64 total)
{
    if (!progress_ || total <= 0)
        return;
    progress_->setValue(static_cast<int>(std::clamp<qint64>(received * 100 / total, 0, 100)));
}

void QtUpdateUserDriver::dismissDownload()
{
    discard(progress_);
}

void QtUpdateUserDriver::showUpdateError(const QString& reason)
{
    showMessage(true, tr("Update Error!"), reason);
}

void QtUpdateUserDriver::bringToFront()
{
    QWidget* window = currentWindow();
    if (!window) {
        bringToFrontPending_ = true;
        return;
    }
    window->raise();
    window->activateWindow();
}

void QtUpdateUserDriver::closeAll()
{
    discard(updateDialog_);
    discard(progress_);
    discard(message_);
    bringToFrontPending_ = false;
}

QWidget* QtUpdateUserDriver::currentWindow() const
{
    if (message_)
        return message_;
    if (progress_)
        return progress_;
    return updateDialog_;
}

void QtUpdateUserDriver::showMessage(bool warning, const QString& message,
                                     const QString& informativeText)
{
    discard(message_);
    auto* box = new QMessageBox(warning ? QMessageBox::Warning : QMessageBox::Information,
                                windowTitle(), message, QMessageBox::Ok);
    box->setInformativeText(informativeText);
    // Wide enough for its title and a sentence per line, as the other alerts read.
    box->setStyleSheet(QStringLiteral("QLabel#qt_msgbox_label, QLabel#qt_msgbox_informativelabel "
                                      "{ min-width: 320px; }"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    message_ = box;
    present(box);
}

void QtUpdateUserDriver::present(QWidget* window)
{
    window->show();
    if (bringToFrontPending_) {
        bringToFrontPending_ = false;
        window->raise();
        window->activateWindow();
    }
}

} // namespace vellumbox
