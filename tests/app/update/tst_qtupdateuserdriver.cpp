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

AppcastItem update()
{
    AppcastItem item;
    item.version = QStringLiteral("120");
    item.shortVersionString = QStringLiteral("1.2");
    item.description = QStringLiteral("<ul><li>Sharper arrows</li></ul>");
    return item;
}

QPushButton* button(QWidget* window, const QString& text)
{
    for (QPushButton* candidate : window->findChildren<QPushButton*>()) {
        if (candidate->text() == text)
            return candidate;
    }
    return nullptr;
}

QStringList labels(QWidget* window)
{
    QStringList texts;
    for (const QLabel* label : window->findChildren<QLabel*>())
        texts.append(label->text());
    return texts;
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
    QTest::newRow("install") << QStringLiteral("Install Update") << UpdateChoice::Install;
    QTest::newRow("later") << QStringLiteral("Remind Me Later") << UpdateChoice::RemindLater;
    QTest::newRow("skip") << QStringLiteral("Skip This Version") << UpdateChoice::Skip;
    QTest::newRow("closed") << QString() << UpdateChoice::RemindLater;
}

void TestQtUpdateUserDriver::updateWindowAnswersOnce()
{
    QFETCH(QString, press);
    QFETCH(UpdateChoice, expected);
    QtUpdateUserDriver driver;
    QList<UpdateChoice> answers;
    driver.showUpdateFound(update(), QStringLiteral("1.0"),
                           [&answers](UpdateChoice choice) { answers.append(choice); });
    const QPointer<QWidget> window = driver.currentWindow();
    QVERIFY(window && window->isVisible());
    QVERIFY(labels(window).contains(
        QStringLiteral("Vellumbox 1.2 is now available—you have 1.0. Would you like to "
                       "download it now?")));
    auto* notes = window->findChild<QTextBrowser*>();
    QVERIFY(notes);
    QCOMPARE(notes->toPlainText().trimmed(), QStringLiteral("Sharper arrows"));
    QCOMPARE(button(window, QStringLiteral("Install Update"))->isDefault(), true);
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
    int answers = 0;
    int cancels = 0;
    driver.showUpdateFound(update(), QStringLiteral("1.0"),
                           [&answers](UpdateChoice) { ++answers; });
    driver.showDownloadStarted(QStringLiteral("1.2"), [&cancels] { ++cancels; });
    driver.closeAll();
    QVERIFY(!driver.currentWindow());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(answers, 0);
    QCOMPARE(cancels, 0);
}

void TestQtUpdateUserDriver::progressCancelsOnlyWhenTheUserSaysSo()
{
    QtUpdateUserDriver driver;
    int cancels = 0;
    driver.showDownloadStarted(QStringLiteral("1.2"), [&cancels] { ++cancels; });
    auto* progress = qobject_cast<QProgressDialog*>(driver.currentWindow());
    QVERIFY(progress);
    QCOMPARE(progress->labelText(), QStringLiteral("Downloading Vellumbox 1.2…"));
    driver.showDownloadProgress(3'000'000'000, 6'000'000'000); // beyond int
    QCOMPARE(progress->value(), 50);
    button(progress, QStringLiteral("Cancel"))->click();
    QCOMPARE(cancels, 1);

    // Finished downloads close the window without it counting as a cancel.
    driver.showDownloadStarted(QStringLiteral("1.2"), [&cancels] { ++cancels; });
    driver.dismissDownload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(cancels, 1);
}

void TestQtUpdateUserDriver::messagesSayWhatHappened()
{
    QtUpdateUserDriver driver;
    // Title and informative text of the message in front, if one is.
    auto shown = [&driver] {
        auto* box = qobject_cast<QMessageBox*>(driver.currentWindow());
        return box ? QStringList{box->text(), box->informativeText()} : QStringList();
    };
    driver.showUpToDate(QStringLiteral("1.0"), {});
    QCOMPARE(shown(), (QStringList{QStringLiteral("You're up to date!"),
                                   QStringLiteral("Vellumbox 1.0 is currently the newest version "
                                                  "available.")}));
    driver.showUpdateError(QStringLiteral("The server took too long to answer."));
    QCOMPARE(shown(), (QStringList{QStringLiteral("Update Error!"),
                                   QStringLiteral("The server took too long to answer.")}));
    driver.showNoFeed();
    QVERIFY(shown().value(1).contains(QStringLiteral("no update feed")));
}

QTEST_MAIN(TestQtUpdateUserDriver)
#include "tst_qtupdateuserdriver.moc"
