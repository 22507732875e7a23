// SPDX-License-Identifier: GPL-3.0-or-later
#include "overlay/OverlayManager.h"
#include "overlay/ScreenshotOverlayPanel.h"
#include "overlay/ScreenshotOverlayView.h"
#include "platform/fakes/FakePlatform.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>

#include <csignal>

using namespace vellumbox;
using namespace vellumbox::fakes;

namespace {

QImage picture()
{
    QImage image(120, 80, QImage::Format_RGB32);
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 120; ++x)
            image.setPixel(x, y, qRgb(x * 2, y * 3, 77));
    return image;
}

// Files this process writes may not grow past the limit while it lives.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{bytes, saved_.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved_); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
};

struct Fixture {
    FakePlatform platform;
    OverlayManager manager{platform.services()};
    QPointer<ScreenshotOverlayPanel> panel = manager.createOverlay(picture(), {300, 200, 120, 80});
    ScreenshotOverlayView* view = panel->contentView();

    void press(QPoint at) { QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, at); }
    // The pointer stays where the person holds it while the window moves under it.
    void pointerAt(QPointF global)
    {
        const QPointF local = global - QPointF(view->mapToGlobal(QPoint(0, 0)));
        QMouseEvent event(QEvent::MouseMove, local, global, Qt::NoButton, Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(view, &event);
    }
    void release(QPoint at) { QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, at); }
};

QStringList titles(const QMenu& menu)
{
    QStringList out;
    for (const QAction* action : menu.actions())
        out.append(action->isSeparator() ? QStringLiteral("-") : action->text());
    return out;
}

} // namespace

class TestScreenshotOverlayView : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void shortClickClosesAnUnpinnedScreenshot();
    void shortClickShakesAPinnedOne();
    void longPressDoesNothing();
    void dragMovesByEachEventsTravelAndNeverCloses();
    void keysCopyCloseAndSwallow();
    void menuListsEveryItemInOrder();
    void menuActionsPinResizeRotate();
    void shareHandsOverTheFlattenedImage();
    void saveWritesPngOrJpeg();
    void failedSaveShowsAnAlertAndKeepsTheOldFile();
    void saveAfterTheScreenshotClosedWritesNothing();
};

void TestScreenshotOverlayView::shortClickClosesAnUnpinnedScreenshot()
{
    Fixture f;
    f.press({10, 10});
    f.platform.clock.now += 299;
    f.pointerAt({314.9, 210});
    f.release({14, 10});
    QTRY_VERIFY(f.manager.overlays().isEmpty());
}

void TestScreenshotOverlayView::shortClickShakesAPinnedOne()
{
    Fixture f;
    f.panel->setPinned(true);
    const QImage before = f.view->grab().toImage();
    f.press({10, 10});
    f.release({10, 10});
    QTRY_VERIFY_WITH_TIMEOUT(f.view->grab().toImage() != before, // the content shakes
                             ScreenshotOverlayPanel::shakeMs);
    QTest::qWait(ScreenshotOverlayPanel::fadeOutMs + ScreenshotOverlayPanel::shakeMs);
    QCOMPARE(f.manager.overlays().size(), 1);
    QCOMPARE(f.panel->geometry(), QRect(300, 200, 120, 80));
}

void TestScreenshotOverlayView::longPressDoesNothing()
{
    Fixture f;
    f.press({10, 10});
    f.platform.clock.now += 300;
    f.release({10, 10});
    QTest::qWait(ScreenshotOverlayPanel::fadeOutMs + 50);
    QCOMPARE(f.manager.overlays().size(), 1);
}

void TestScreenshotOverlayView::dragMovesByEachEventsTravelAndNeverCloses()
{
    Fixture f;
    f.press({10, 10});       // the pointer at (310, 210) on the screen
    f.pointerAt({314, 212}); // 4.5 points from the press: not yet a drag
    QCOMPARE(f.panel->pos(), QPoint(300, 200));
    f.pointerAt({320, 210}); // 10 away: moves by this event's own travel, (6, -2)
    QCOMPARE(f.panel->pos(), QPoint(306, 198));
    f.pointerAt({322, 210}); // 6.3 from the press in the moved window: moves again
    QCOMPARE(f.panel->pos(), QPoint(308, 198));
    f.pointerAt({319, 209}); // back within 5 of the press in the window: it stays
    QCOMPARE(f.panel->pos(), QPoint(308, 198));
    f.release({11, 11}); // quick, but after a drag: never a click
    QTest::qWait(ScreenshotOverlayPanel::fadeOutMs + 50);
    QCOMPARE(f.manager.overlays().size(), 1);
}

void TestScreenshotOverlayView::keysCopyCloseAndSwallow()
{
    Fixture f;
    QTest::keyClick(f.view, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(f.platform.clipboard.writes, 1);
    QCOMPARE(f.platform.clipboard.image, picture());
    QCOMPARE(f.view->findChildren<QWidget*>().size(), 1); // the flash
    QTest::keyClick(f.view, Qt::Key_Escape);
    QTest::keyClick(f.view, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(f.view, Qt::Key_C, Qt::ControlModifier | Qt::AltModifier);
    QCOMPARE(f.platform.clipboard.writes, 1);
    QCOMPARE(f.manager.overlays().size(), 1);
    f.panel->setPinned(true);
    QTest::keyClick(f.view, Qt::Key_W, Qt::ControlModifier);
    QTRY_VERIFY(f.manager.overlays().isEmpty());
}

void TestScreenshotOverlayView::menuListsEveryItemInOrder()
{
    Fixture f;
    const std::unique_ptr<QMenu> menu = f.view->contextMenu();
    QCOMPARE(titles(*menu),
             (QStringList{QStringLiteral("Copy to Clipboard"), QStringLiteral("Scan Text (OCR)"),
                          QStringLiteral("Save as File..."), QStringLiteral("Share"),
                          QStringLiteral("-"), QStringLiteral("Pin"), QStringLiteral("Resize"),
                          QStringLiteral("Rotate"), QStringLiteral("-"),
                          QStringLiteral("Close All Screenshots"), QStringLiteral("Edit"),
                          QStringLiteral("Close")}));
    QCOMPARE(titles(*menu->actions().at(7)->menu()),
             (QStringList{QStringLiteral("Rotate 90° Clockwise"),
                          QStringLiteral("Rotate 90° Counter-Clockwise")}));
    QVERIFY(menu->actions().at(3)->menu()->actions().isEmpty());
}

void TestScreenshotOverlayView::menuActionsPinResizeRotate()
{
    Fixture f;
    std::unique_ptr<QMenu> menu = f.view->contextMenu();
    menu->actions().at(5)->trigger(); // Pin
    QVERIFY(f.panel->isPinned());
    QVERIFY(f.view->border() && !f.view->border()->dashed);
    menu = f.view->contextMenu();
    QCOMPARE(menu->actions().at(5)->text(), QStringLiteral("Unpin"));
    menu->actions().at(6)->menu()->actions().at(3)->trigger(); // 200%
    QTRY_COMPARE(f.panel->geometry(), QRect(240, 160, 240, 160));
    menu = f.view->contextMenu();
    const QList<QAction*> presets = menu->actions().at(6)->menu()->actions();
    QVERIFY(!presets.at(1)->isEnabled() && presets.at(3)->isChecked() &&
            presets.at(0)->isEnabled());
    menu->actions().at(7)->menu()->actions().at(0)->trigger(); // clockwise
    QCOMPARE(f.panel->rotationDegrees(), 90);
    QCOMPARE(f.view->flattenedImage().size(), QSize(80, 120));
    QCOMPARE(f.view->flattenedImage().pixel(79, 0), picture().pixel(0, 0));

    ScreenshotOverlayPanel* other = f.manager.createOverlay(picture(), {0, 0, 120, 80});
    QVERIFY(other);
    f.view->contextMenu()->actions().at(9)->trigger(); // Close All, pinned included
    QTRY_VERIFY(f.manager.overlays().isEmpty());
}

void TestScreenshotOverlayView::shareHandsOverTheFlattenedImage()
{
    Fixture f;
    f.platform.share.available = {{QStringLiteral("viewer.desktop"), QStringLiteral("Viewer"), {}},
                                  {QStringLiteral("mail"), QStringLiteral("E-mail"), {}}};
    f.panel->rotate(90);
    const std::unique_ptr<QMenu> menu = f.view->contextMenu();
    QMenu* share = menu->actions().at(3)->menu();
    QCOMPARE(titles(*share), (QStringList{QStringLiteral("Viewer"), QStringLiteral("E-mail")}));
    share->actions().at(1)->trigger();
    QCOMPARE(f.platform.share.shared.size(), 1);
    QCOMPARE(f.platform.share.shared.first().first, QStringLiteral("mail"));
    QCOMPARE(f.platform.share.shared.first().second, f.view->flattenedImage());
    QCOMPARE(f.platform.share.shared.first().second.size(), QSize(80, 120));
    QCOMPARE(f.view->findChildren<QWidget*>().size(), 1); // the flash

    // An application that cannot start: said so, no flash.
    QTRY_VERIFY(f.view->findChildren<QWidget*>().isEmpty());
    f.platform.share.failWith = QStringLiteral("Viewer could not be started: no such file");
    f.view->contextMenu()->actions().at(3)->menu()->actions().at(0)->trigger();
    QCOMPARE(f.platform.alerts.shown.size(), 1);
    QCOMPARE(f.platform.alerts.shown.first().message, QStringLiteral("Share Failed"));
    QVERIFY(f.view->findChildren<QWidget*>().isEmpty());
}

void TestScreenshotOverlayView::saveWritesPngOrJpeg()
{
    Fixture f;
    QTemporaryDir dir;
    QTest::keyClick(f.view, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(f.platform.saveDialog.proposedName.startsWith(QStringLiteral("Screenshot ")));
    const QString png = dir.filePath(QStringLiteral("shot.png"));
    f.platform.saveDialog.answer(png);
    QCOMPARE(QImage(png).convertToFormat(QImage::Format_RGB32), picture());
    QCOMPARE(QImageReader(png).format(), QByteArray("png"));

    f.view->saveToFile();
    const QString jpeg = dir.filePath(QStringLiteral("shot.JPG"));
    f.platform.saveDialog.answer(jpeg);
    QCOMPARE(QImageReader(jpeg).format(), QByteArray("jpeg"));
    const QImage decoded = QImage(jpeg).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(decoded.size(), picture().size());
    QVERIFY(qAbs(qRed(decoded.pixel(60, 40)) - qRed(picture().pixel(60, 40))) < 12);

    f.view->saveToFile();
    const QString tiff = dir.filePath(QStringLiteral("shot.tiff"));
    f.platform.saveDialog.answer(tiff);
    QCOMPARE(QImageReader(tiff).format(), QByteArray("png"));
    QVERIFY(f.platform.alerts.shown.isEmpty());
}

void TestScreenshotOverlayView::failedSaveShowsAnAlertAndKeepsTheOldFile()
{
    Fixture f;
    QTemporaryDir dir;
    f.view->saveToFile();
    f.platform.saveDialog.answer(dir.filePath(QStringLiteral("missing/folder/shot.png")));
    QCOMPARE(f.platform.alerts.shown.size(), 1);
    QCOMPARE(f.platform.alerts.shown.first().message, QStringLiteral("Save Failed"));
    QVERIFY(!f.platform.alerts.shown.first().informativeText.isEmpty());
    QVERIFY(f.view->findChildren<QWidget*>().isEmpty()); // no flash

    // A write that runs out of room half-way (a file size limit binds root too, like a
    // full disk): the old contents survive.
    const QString existing = dir.filePath(QStringLiteral("keep.png"));
    QFile old(existing);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("precious");
    old.close();
    {
        const FileSizeLimit limit(64);
        f.view->saveToFile();
        f.platform.saveDialog.answer(existing);
    }
    QCOMPARE(f.platform.alerts.shown.size(), 2);
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("precious"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("keep.png")});
}

void TestScreenshotOverlayView::saveAfterTheScreenshotClosedWritesNothing()
{
    Fixture f;
    QTemporaryDir dir;
    f.view->saveToFile();
    f.manager.removeOverlay(f.panel);
    QTRY_VERIFY(!f.panel);
    const QString path = dir.filePath(QStringLiteral("late.png"));
    f.platform.saveDialog.answer(path);
    QVERIFY(!QFile::exists(path));
}

QTEST_MAIN(TestScreenshotOverlayView)
#include "tst_screenshotoverlayview.moc"
