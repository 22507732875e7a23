// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/update/QtUpdateUserDriver.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>

using namespace vellumbox;

namespace {

QPushButton* button(QWidget* window, const QString& text)
{
    for (QPushButton* candidate : window->findChildren<QPushButton*>()) {
        if (candidate->text() == text)
            return candidate;
    }
    return nullptr;
}

} // namespace

class TestQtUpdateUserDriver : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void updateWindowAnswersOnce_data();
    void updateWindowAnswersOnce();
    void closingEverythingAnswersNothing();
    void progressCancelsOnlyWhenTheUserSaysSo();
    void messagesSayWhatHappened();
};

void TestQtUpdateUserDriver::updateWindowAnswersOnce_data()
{
    QTest::addColumn<QString>("press"); // empty: close the window
    QTest::addColumn<UpdateChoice>("expected");
    QTest::addColumn<QString>("notesLink"); // offered only over HTTPS
    QTest::newRow("install") << "Install Update" << UpdateChoice::Install << "https://a.org/n";
    QTest::newRow("later") << "Remind Me Later" << UpdateChoice::RemindLater << QString();
    QTest::newRow("skip") << "Skip This Version" << UpdateChoice::Skip << "http://a.org/n";
    QTest::newRow("closed") << QString() << UpdateChoice::RemindLater << "file:///etc/passwd";
}

void TestQtUpdateUserDriver::updateWindowAnswersOnce()
{
    QFETCH(QString, press);
    QFETCH(UpdateChoice, expected);
    QFETCH(QString, notesLink);
    AppcastItem update;
    update.version = QStringLiteral("120");
    update.shortVersionString = QStringLiteral("1.2");
    update.description = QStringLiteral("<ul><li>Sharper arrows</li></ul>");
    update.releaseNotesLink = QUrl(notesLink);
    QtUpdateUserDriver driver;
    QList<UpdateChoice> answers;
    driver.showUpdateFound(update, QStringLiteral("1.0"),
                           [&answers](UpdateChoice choice) { answers.append(choice); });
    const QPointer<QWidget> window = driver.currentWindow();
    QVERIFY(window && window->isVisible());
    QStringList labels;
    for (const QLabel* label : window->findChildren<QLabel*>())
        labels.append(label->text());
    QVERIFY(labels.contains(QStringLiteral("Vellumbox 1.2 is now available—you have 1.0. Would you "
                                           "like to download it now?")));
    QCOMPARE(labels.filter(QStringLiteral("release notes")).size(),
             notesLink.startsWith(QLatin1String("https:")) ? 1 : 0);
    QCOMPARE(window->findChild<QTextBrowser*>()->toPlainText().trimmed(),
             QStringLiteral("Sharper arrows"));
    QVERIFY(button(window, QStringLiteral("Install Update"))->isDefault());
    if (press.isEmpty())
        window->close();
    else
        button(window, press)->click();
    QCOMPARE(answers, QList<UpdateChoice>{expected});
    QTRY_VERIFY(!window);
}

void TestQtUpdateUserDriver::closingEverythingAnswersNothing()
{
    QtUpdateUserDriver driver;
    int calls = 0;
    driver.showUpdateFound({}, QStringLiteral("1.0"), [&calls](UpdateChoice) { ++calls; });
    driver.showDownloadStarted(QStringLiteral("1.2"), [&calls] { ++calls; });
    driver.showUpdateError(QStringLiteral("Oops."));
    driver.closeAll();
    QVERIFY(!driver.currentWindow());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(calls, 0);
}

void TestQtUpdateUserDriver::progressCancelsOnlyWhenTheUserSaysSo()
{
    QtUpdateUserDriver driver;
    int cancels = 0;
    driver.showDownloadStarted(QStringLiteral("1.2"), [&cancels] { ++cancels; });
    auto* progress = qobject_cast<QProgressDialog*>(driver.currentWindow());
    QVERIFY(progress);
    driver.showDownloadProgress(3'000'000'000, 6'000'000'000); // beyond int
    QCOMPARE(progress->value(), 50);
    driver.showDownloadProgress(10, 0); // no total known: nothing to divide by
    QCOMPARE(progress->value(), 50);
    button(progress, QStringLiteral("Cancel"))->click();
    QCOMPARE(cancels, 1);
    // Finished downloads close the window without it counting as a cancel.
    driver.showDownloadStarted(QStringLiteral("1.2"), [&cancels] { ++cancels; });
    driver.dismissDownload();
    QVERIFY(!driver.currentWindow());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(cancels, 1);
}

void TestQtUpdateUserDriver::messagesSayWhatHappened()
{
    QtUpdateUserDriver driver;
    const auto shown = [&driver] {
        auto* box = qobject_cast<QMessageBox*>(driver.currentWindow());
        return box ? QStringList{box->text(), box->informativeText()} : QStringList();
    };
    driver.showUpToDate(QStringLiteral("1.0"), {});
    QCOMPARE(shown().value(1), QStringLiteral("Vellumbox 1.0 is currently the newest version "
                                              "available."));
    driver.showUpToDate(QStringLiteral("1.0"), QStringLiteral("1.2"));
    QCOMPARE(shown().value(1), QStringLiteral("You chose to skip Vellumbox 1.2, the newest "
                                              "version available. You have 1.0."));
    driver.showUpdateError(QStringLiteral("The server took too long to answer."));
    QCOMPARE(shown(), (QStringList{QStringLiteral("Update Error!"),
                                   QStringLiteral("The server took too long to answer.")}));
}

QTEST_MAIN(TestQtUpdateUserDriver)
#include "tst_qtupdateuserdriver.moc"
