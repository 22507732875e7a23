// SPDX-License-Identifier: GPL-3.0-or-later
#include "annotation/AnnotationCanvas.h"
#include "ocr/OCRSelectionView.h"
#include "overlay/CompactImage.h"
#include "overlay/ImageFile.h"
#include "overlay/InteractionRules.h"
#include "overlay/LoweredPanels.h"
#include "overlay/OverlayManager.h"
#include "overlay/PanelGeometry.h"
#include "overlay/RotatedImage.h"
#include "overlay/ScreenshotOverlayPanel.h"
#include "overlay/ScreenshotOverlayView.h"
#include "platform/SystemColors.h"
#include "support/UiSupport.h"

#include <QBuffer>
#include <QDialog>
#include <QDir>
#include <QImageReader>
#include <QImageWriter>
#include <QMenu>
#include <QPainter>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>

#include <csignal>

using namespace vellumbox;
using namespace vellumbox::fakes;
using namespace vellumbox::testing;
using Tool = AnnotationToolType;

Q_DECLARE_METATYPE(vellumbox::KeyCommand)

namespace {

// One floating screenshot of a position picture, 120 x 80 at (300, 200).
struct Fixture {
    FakePlatform platform;
    OverlayManager manager{overlayServices(platform)};
    QImage picture;
    QPointer<ScreenshotOverlayPanel> panel;
    ScreenshotOverlayView* view = nullptr;
    std::unique_ptr<QMenu> menu;

    // `desktop` adjusts the fake desktop before the screenshot appears on it.
    explicit Fixture(QSize size = {120, 80}, QImage image = {},
                     const std::function<void(FakePlatform&)>& desktop = {})
        : picture(image.isNull() ? positionPicture(size) : std::move(image))
    {
        if (desktop)
            desktop(platform);
        panel = manager.createOverlay(picture, {QPointF(300, 200), QSizeF(size)});
        view = panel->contentView();
    }
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
    // Whether the screenshot kept the key from reaching the windows under it.
    bool key(int code, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QKeyEvent press(QEvent::KeyPress, code, modifiers);
        QCoreApplication::sendEvent(view, &press);
        return press.isAccepted();
    }
    void draw(QPoint from, QPoint to) { drag(panel->annotationCanvas(), from, to); }
    void select(QPoint from, QPoint to) { drag(panel->scanSelection(), from, to); }
    QAction* menuItem(int index, int subIndex = -1)
    {
        menu = panel->contextMenu();
        QAction* item = menu->actions().at(index);
        return subIndex < 0 ? item : item->menu()->actions().at(subIndex);
    }
    bool flashing() const { return !view->findChildren<QWidget*>().isEmpty(); }

    int marks() const { return int(panel->annotationCanvas()->annotations().size()); }
};

QString titles(const QMenu* menu)
{
    QStringList out;
    for (const QAction* action : menu->actions())
        out.append(action->isSeparator() ? QStringLiteral("-") : action->text());
    return out.join(QLatin1Char('|'));
}

constexpr int settleMs = ScreenshotOverlayPanel::fadeOutMs + ScreenshotOverlayPanel::shakeMs;

} // namespace

class TestOverlay : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void floatsWhereTakenMovesAndAnswersKeys()
    {
        Fixture f;
        QCOMPARE(f.panel->geometry(), QRect(300, 200, 120, 80));
        QVERIFY(f.panel->isVisible() && f.panel->windowOpacity() < 1.0 &&
                f.panel->testAttribute(Qt::WA_ShowWithoutActivating) &&
                f.panel->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(f.platform.windows.stickyWindows,
                 QList<QPointer<QWindow>>{f.panel->windowHandle()});
        QTRY_COMPARE(f.panel->windowOpacity(), 1.0);

        f.press({10, 10});                    // the pointer at (310, 210) on the screen
        QVERIFY(!QWidget::keyboardGrabber()); // the window manager gives it the keys
        f.pointerAt({314, 212});              // 4.5 points from the press: not yet a drag
        QCOMPARE(f.panel->pos(), QPoint(300, 200));
        f.pointerAt({315, 210}); // 5 away: moves by this event's own travel, (1, -2)
        QCOMPARE(f.panel->pos(), QPoint(301, 198));
        f.pointerAt({322, 210}); // 11.2 from the press in the moved window: moves again
        QCOMPARE(f.panel->pos(), QPoint(308, 198));
        f.pointerAt({319, 209}); // back within 5 of the press in the window: it stays
        QCOMPARE(f.panel->pos(), QPoint(308, 198));
        f.release({11, 11}); // quick, but after a drag: never a click
        QTest::qWait(settleMs);
        QCOMPARE(f.manager.overlays().size(), 1);

        QVERIFY(f.key(Qt::Key_C, Qt::ControlModifier));
        QCOMPARE(f.platform.clipboard.writes, 1);
        QCOMPARE(f.platform.clipboard.image, f.picture);
        QVERIFY(f.flashing());
        QVERIFY(f.key(Qt::Key_Escape));
        QVERIFY(!f.key(Qt::Key_C, Qt::ControlModifier | Qt::AltModifier));
        QCOMPARE(f.platform.clipboard.writes, 1);
        QCOMPARE(f.manager.overlays().size(), 1);
        f.panel->togglePin();
        QVERIFY(f.key(Qt::Key_W, Qt::ControlModifier));
        QTRY_VERIFY(f.manager.overlays().isEmpty());
    }

    void shortClickClosesOrShakes_data()
    {
        columns<bool, int, bool>({"pinned", "heldMs", "closes"});
        QTest::newRow("quick click") << false << 299 << true;
        QTest::newRow("long press") << false << 300 << false;
        QTest::newRow("quick click on a pinned one") << true << 0 << false;
    }

    void shortClickClosesOrShakes()
    {
        const auto [pinned, heldMs, closes] =
            fetch<bool, int, bool>({"pinned", "heldMs", "closes"});
        Fixture f;
        if (pinned)
            f.panel->togglePin();
        const QImage before = f.view->grab().toImage();
        f.press({10, 10});
        f.platform.clock.now += heldMs;
        f.pointerAt({314.9, 210}); // 4.9 points: still a click
        f.release({14, 10});
        if (closes) {
            QTRY_VERIFY(f.manager.overlays().isEmpty());
            return;
        }
        if (pinned) // the content shakes
            QTRY_VERIFY(f.view->grab().toImage() != before);
        QTest::qWait(settleMs);
        QCOMPARE(f.manager.overlays().size(), 1);
        QCOMPARE(f.panel->geometry(), QRect(300, 200, 120, 80));
        QCOMPARE(f.view->grab().toImage(), before);
    }

    void menuListsPinsResizesRotatesAndClosesAll()
    {
        Fixture f;
        const std::unique_ptr<QMenu> menu = f.panel->contextMenu();
        QCOMPARE(
            titles(menu.get()),
            QStringLiteral("Copy to Clipboard|Scan Text (OCR)|Save as File...|Share|-|Pin|Resize|"
                           "Rotate|-|Close All Screenshots|Edit|Close"));
        QCOMPARE(titles(menu->actions().at(7)->menu()),
                 QStringLiteral("Rotate 90° Clockwise|Rotate 90° Counter-Clockwise"));
        QCOMPARE(titles(menu->actions().at(10)->menu()),
                 QStringLiteral("Pencil|Circle|Square|Arrow|Highlight|-|Clear Edits"));
        QVERIFY(menu->actions().at(3)->menu()->actions().isEmpty());
        f.menuItem(5)->trigger(); // Pin: a solid blue border
        QVERIFY(f.panel->isPinned() && f.view->border() && !f.view->border()->dashed);
        QCOMPARE(f.view->grab().toImage().pixel(50, 1), systemBlue().rgb());
        QCOMPARE(f.view->grab().toImage().pixel(1, 40), systemBlue().rgb());
        QCOMPARE(f.menuItem(5)->text(), QStringLiteral("Unpin"));
        // Moved by hand first: the zoom centres on where it is now.
        f.panel->move(500, 400);
        f.menuItem(6, 3)->trigger(); // 200%
        QTRY_COMPARE(f.panel->geometry(), QRect(440, 360, 240, 160));
        QVERIFY(f.menuItem(6, 3)->isChecked());
        QVERIFY(!f.menuItem(6, 1)->isEnabled());
        f.menuItem(7, 0)->trigger(); // clockwise
        QTRY_COMPARE(f.panel->geometry(), QRect(480, 320, 160, 240));
        QCOMPARE(f.panel->flattenedImage().size(), QSize(80, 120));
        QCOMPARE(f.panel->flattenedImage().pixel(79, 0), f.picture.pixel(0, 0));
        f.menuItem(7, 1)->trigger(); // and back
        QCOMPARE(f.panel->flattenedImage(), f.picture);
        f.panel->setDisplayScale(0.5); // below 100 %: nothing
        QCOMPARE(f.panel->displayScale(), 2.0);

        f.manager.createOverlay(f.picture, {0, 0, 120, 80});
        f.menuItem(9)->trigger();                 // Close All, pinned included
        QCOMPARE(f.manager.overlays().size(), 2); // still there while they fade
        QTRY_VERIFY(f.manager.overlays().isEmpty());
        // A screenshot no registry looks after: Close All has nobody to ask.
        ScreenshotOverlayPanel alone(f.picture, {0, 0, 120, 80}, overlayServices(f.platform));
        alone.contextMenu()->actions().at(9)->trigger();
        alone.dismiss(); // nor anybody to tell when it has faded out
        QTest::qWait(ScreenshotOverlayPanel::fadeOutMs * 2);
    }

    void paintsHardPixels()
    {
        // 4 x 2 points at scale 2 zoomed to 500 %: each pixel a 2.5-point block, never blended.
        // No compositor: the window's mask, not the picture, rounds the corners.
        const QImage checks = positionPicture({8, 4}, 2.0);
        Fixture hard({40, 20}, checks, [](FakePlatform& p) { p.windows.compositing = false; });
        const QImage shown = hard.view->grab().toImage();
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 8; ++x)
                for (int dx : {0, 2, 4})
                    QCOMPARE(shown.pixel(x * 5 + dx, y * 5 + 2), checks.pixel(x, y));
    }

    // Saved, the file holds the picture (never half of it); shared, the flattened image goes.
    void exportsWholeFilesAndTheFlattenedImage()
    {
        Fixture f;
        QTemporaryDir dir;
        const auto files = [&dir] { return QDir(dir.path()).entryList(QDir::Files); };
        QVERIFY(f.key(Qt::Key_S, Qt::ControlModifier));
        QVERIFY(f.platform.saveDialog.proposedName.startsWith(QStringLiteral("Screenshot ")));
        const QString png = dir.filePath(QStringLiteral("shot.png"));
        f.platform.saveDialog.answer(png);
        QCOMPARE(QImage(png).convertToFormat(QImage::Format_RGB32), f.picture);
        QCOMPARE(QImageReader(png).format(), QByteArray("png"));
        QVERIFY(f.flashing());

        f.menuItem(2)->trigger();
        const QString jpeg = dir.filePath(QStringLiteral("shot.JPG"));
        f.platform.saveDialog.answer(jpeg);
        // Encoded at the chosen quality, not the library's default.
        QBuffer reference;
        reference.open(QIODevice::WriteOnly);
        QImageWriter writer(&reference, "JPEG");
        writer.setQuality(jpegQuality);
        QVERIFY(writer.write(f.picture));
        QFile written(jpeg);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), reference.data());

        f.panel->saveToFile();
        f.platform.saveDialog.answer(std::nullopt);
        QCOMPARE(files().size(), 2);
        QVERIFY(f.platform.alerts.shown.isEmpty());

        QTRY_VERIFY(!f.flashing());
        f.panel->saveToFile();
        f.platform.saveDialog.answer(dir.filePath(QStringLiteral("missing/folder/shot.png")));
        QVERIFY(
            alertTexts(f.platform.alerts).value(0).startsWith(QStringLiteral("! Save Failed: ")));
        QVERIFY(alertTexts(f.platform.alerts).value(0).size() > 16); // the reason
        QVERIFY(!f.flashing());

        // A write cut short, as on a full disk (binding root too), leaves the old contents.
        {
            rlimit saved{};
            getrlimit(RLIMIT_FSIZE, &saved);
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit full{64, saved.rlim_max};
            QVERIFY(setrlimit(RLIMIT_FSIZE, &full) == 0);
            const auto lift = qScopeGuard([&saved] { setrlimit(RLIMIT_FSIZE, &saved); });
            f.panel->saveToFile();
            f.platform.saveDialog.answer(png);
        }
        QCOMPARE(f.platform.alerts.shown.size(), 2);
        QCOMPARE(QImage(png).convertToFormat(QImage::Format_RGB32), f.picture);
        QCOMPARE(files().size(), 2);

        f.platform.share.available = {
            {QStringLiteral("viewer.desktop"), QStringLiteral("Viewer"), {}},
            {QStringLiteral("mail"), QStringLiteral("E-mail"), {}}};
        f.panel->rotate(90);
        QCOMPARE(titles(f.menuItem(3)->menu()), QStringLiteral("Viewer|E-mail"));
        f.menuItem(3, 1)->trigger();
        QCOMPARE(f.platform.share.shared,
                 (QList<std::pair<QString, QImage>>{
                     {QStringLiteral("mail"), f.panel->flattenedImage()}}));
        QVERIFY(f.flashing());
        // An application that cannot start: said so, no flash.
        QTRY_VERIFY(!f.flashing());
        f.platform.share.failWith = QStringLiteral("Viewer could not be started");
        f.menuItem(3, 0)->trigger();
        QCOMPARE(alertTexts(f.platform.alerts).value(2),
                 QStringLiteral("! Share Failed: Viewer could not be started"));
        QVERIFY(!f.flashing());

        // Answered after the screenshot closed: nothing is written.
        f.panel->saveToFile();
        f.manager.removeOverlay(f.panel);
        QTRY_VERIFY(!f.panel);
        f.platform.saveDialog.answer(dir.filePath(QStringLiteral("late.png")));
        QCOMPARE(files().size(), 2);
    }

    void editModeWatchesOnlyWhileEditingAndTheLevelReturns()
    {
        Fixture f;
        f.panel->enterEditMode(Tool::pencil);
        f.panel->enterEditMode(Tool::arrow);
        QCOMPARE(f.platform.globalInput.subscriptions, 1);
        QCOMPARE(f.panel->annotationCanvas()->activeTool(), std::optional(Tool::arrow));
        QVERIFY(f.view->border() && f.view->border()->dashed);
        // Lowered while it has the focus, it floats again shortly after losing it.
        QTRY_VERIFY(f.panel->isActiveWindow());
        f.panel->setLevel(WindowLevel::Normal);
        QVERIFY(!f.panel->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
        QTest::qWait(ScreenshotOverlayPanel::levelRestoreDelayMs * 2);
        QCOMPARE(f.panel->level(), WindowLevel::Normal);
        QWidget other;
        other.show();
        other.activateWindow();
        QTRY_VERIFY(!f.panel->isActiveWindow());
        QCOMPARE(f.panel->level(), WindowLevel::Normal);
        QTRY_COMPARE(f.panel->level(), WindowLevel::Floating);
        QVERIFY(f.panel->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
        // Hovering leaves the focus; a press on it, from any application, brings it forward.
        f.pointerAt(f.panel->geometry().center());
        QTest::qWait(50);
        QVERIFY(!f.panel->isActiveWindow());
        QTest::mouseClick(f.panel->annotationCanvas(), Qt::LeftButton, Qt::NoModifier, {5, 5});
        QTRY_VERIFY(f.panel->isActiveWindow());
        other.activateWindow();
        QTRY_VERIFY(!f.panel->isActiveWindow());
        QCursor::setPos(f.panel->geometry().center());
        f.platform.globalInput.send(GlobalInput::ButtonPressed);
        QTRY_VERIFY(f.panel->isActiveWindow());
        // The Edit submenu offers to leave only while editing.
        QCOMPARE(f.menuItem(10, 7)->text(), QStringLiteral("Exit Edit Mode"));
        f.menuItem(10, 7)->trigger();
        QVERIFY(!f.panel->isInEditMode());
        QVERIFY(f.platform.globalInput.handlers.empty());
        QCOMPARE(f.menuItem(10)->menu()->actions().size(), 7);
        QVERIFY(!f.view->border());

        // Escape in any window of this application is swallowed before it arrives there.
        QDialog elsewhere;
        QSignalSpy escaped(&elsewhere, &QDialog::rejected);
        f.panel->enterEditMode(Tool::pencil);
        QTest::keyClick(&elsewhere, Qt::Key_Escape);
        QVERIFY(!f.panel->isInEditMode());
        QCOMPARE(escaped.size(), 0);
        QTest::keyClick(&elsewhere, Qt::Key_Escape); // outside edit mode nothing is watched
        QCOMPARE(escaped.size(), 1);
        // In another application: ended from the event loop.
        f.panel->enterEditMode(Tool::pencil);
        f.platform.globalInput.send(GlobalInput::EscapePressed);
        QVERIFY(f.panel->isInEditMode());
        QTRY_VERIFY(!f.panel->isInEditMode());

        // Closing a screenshot in edit mode stops the watching too.
        f.panel->enterEditMode(Tool::square);
        f.manager.closeAllOverlays();
        QVERIFY(f.platform.globalInput.handlers.empty());
        QTRY_VERIFY(!f.panel);

        // A desktop that refuses to report other applications' input: edit mode still works.
        Fixture refused;
        refused.platform.globalInput.refuse = true;
        refused.menuItem(10, 1)->trigger();
        QCOMPARE(refused.panel->annotationCanvas()->activeTool(), std::optional(Tool::circle));
        QVERIFY(refused.panel->isInEditMode());
    }

    void annotationsOutliveEditModeAndEveryOtherActionEndsIt()
    {
        Fixture f({200, 100}, filledPicture({200, 100}, Qt::white));
        f.panel->enterEditMode(Tool::pencil);
        f.draw({10, 10}, {50, 50});
        f.draw({60, 10}, {90, 50});
        QVERIFY(f.key(Qt::Key_Z, Qt::ControlModifier));
        QCOMPARE(f.marks(), 1);
        f.panel->exitEditMode();
        // Clear Edits works outside edit mode and does not enter it.
        f.menuItem(10, 6)->trigger();
        QCOMPARE(f.marks(), 0);
        QVERIFY(!f.panel->isInEditMode());

        f.panel->enterEditMode(Tool::square);
        f.draw({20, 20}, {120, 80});
        QVERIFY(f.key(Qt::Key_Escape));
        QVERIFY(!f.panel->isInEditMode());
        QCOMPARE(f.marks(), 1);
        QVERIFY(isRed(f.view->grab().toImage().pixel(20, 50)));
        QCOMPARE(f.view->cursor().shape(), Qt::OpenHandCursor);
        // An action other than close leaves edit mode first; the marks stay and are exported.
        f.panel->enterEditMode(Tool::highlight);
        f.draw({130, 10}, {190, 60});
        QVERIFY(f.key(Qt::Key_C, Qt::ControlModifier));
        QVERIFY(!f.panel->isInEditMode());
        QVERIFY(isRed(f.platform.clipboard.image.pixel(20, 50)));
        QVERIFY(qAbs(qBlue(f.platform.clipboard.image.pixel(150, 30)) - 178) <= 1);
        for (const auto& [index, sub] : {std::pair{5, -1}, {6, 0}, {7, 0}}) {
            f.panel->enterEditMode(Tool::pencil);
            f.menuItem(index, sub)->trigger(); // pin, resize, rotate
            QVERIFY2(!f.panel->isInEditMode(), qPrintable(QString::number(index)));
        }
        // The canvas lets the mouse through: a short click closes the screenshot again.
        f.panel->togglePin();
        QVERIFY(!f.view->border());

        QTRY_COMPARE(f.view->size(), QSize(100, 200));
        QCOMPARE(f.view->childAt(50, 60), nullptr);
        QTest::mouseClick(f.view, Qt::LeftButton, Qt::NoModifier, {50, 60});
        QTRY_VERIFY(f.manager.overlays().isEmpty());
    }

    void flatteningDrawsOnTheRotatedGridWithOrWithoutTheLayer()
    {
        // Turned 90 degrees, a mark near the top left of what is shown lands there, flattened.
        Fixture turned({300, 200}, filledPicture({300, 200}, Qt::white));
        turned.panel->rotate(90);
        QTRY_COMPARE(turned.view->size(), QSize(200, 300));
        turned.panel->enterEditMode(Tool::square);
        turned.draw({20, 20}, {60, 80});
        const QImage rotated = turned.panel->flattenedImage();
        QCOMPARE(rotated.size(), QSize(200, 300));
        QVERIFY(isRed(rotated.pixel(20, 50)));
        QVERIFY(!isRed(rotated.pixel(150, 250)));
        // The annotation in progress is not exported.
        QTest::mousePress(turned.panel->annotationCanvas(), Qt::LeftButton, Qt::NoModifier,
                          {150, 250});
        QTest::mouseMove(turned.panel->annotationCanvas(), {190, 290});
        QVERIFY(!isRed(turned.panel->flattenedImage().pixel(150, 270)));

        // Zoomed to 200 % the canvas no longer matches the image's pixels: every mark is drawn
        // afresh. Back at 100 % the canvas's layer is used. Both give the same picture.
        Fixture f({240, 160});
        for (const auto& [tool, from, to] :
             {std::tuple{Tool::highlight, QPoint(20, 20), QPoint(180, 120)},
              {Tool::arrow, QPoint(200, 20), QPoint(40, 140)},
              {Tool::circle, QPoint(60, 30), QPoint(220, 150)}}) {
            f.panel->enterEditMode(tool);
            f.draw(from, to);
        }
        f.panel->exitEditMode();
        const QImage viaLayer = f.panel->flattenedImage();
        QVERIFY(!f.panel->annotationCanvas()->finishedLayerFor({240, 160}).isNull());
        f.panel->setDisplayScale(2.0);
        QTRY_COMPARE(f.view->size(), QSize(480, 320));
        QVERIFY(f.panel->annotationCanvas()->finishedLayerFor({240, 160}).isNull());
        QCOMPARE(differingPixels(f.panel->flattenedImage(), viaLayer), 0);
    }

    void scanReadsWhatWasDraggedAtAnyZoomAndTurn()
    {
        // Captured on a 2x screen: 200 x 150 points in 400 x 300 pixels.
        Fixture f({200, 150}, positionPicture({400, 300}, 2.0));
        const auto read = [&f] { return f.platform.textRecognizer.receivedImages(); };
        // A scan leaves edit mode; asked again, it keeps the one selection; Escape ends it.
        f.panel->enterEditMode(Tool::pencil);
        f.panel->startScan();
        QVERIFY(!f.panel->isInEditMode());
        const QPointer<OCRSelectionView> first = f.panel->scanSelection();
        f.panel->startScan();
        QCOMPARE(f.view->findChildren<OCRSelectionView*>(), QList<OCRSelectionView*>{first});
        QTest::keyClick(first, Qt::Key_Escape);
        QVERIFY(!f.panel->scanSelection());
        QVERIFY(f.platform.alerts.shown.isEmpty());

        f.panel->setDisplayScale(1.5);
        QTRY_COMPARE(f.view->size(), QSize(300, 225));
        f.panel->startScan();
        QVERIFY(f.panel->scanSelection() && f.panel->scanSelection() != first);
        QCOMPARE(f.panel->scanSelection()->geometry(), f.view->rect());
        // 150 x 75 points of the view at 150 % are 100 x 50 image points, 200 x 100 pixels.
        f.select({30, 45}, {180, 120});
        QTRY_VERIFY(!f.panel->scanSelection());
        QCOMPARE(f.view->cursor().shape(), Qt::OpenHandCursor);
        QCOMPARE(read().size(), 1);
        QImage expected = f.picture.copy(40, 60, 200, 100);
        expected.setDevicePixelRatio(1.0);
        QCOMPARE(read().first().convertToFormat(QImage::Format_RGB32), expected);

        // Turned a quarter clockwise while the selection is open: the shown picture's top row is
        // the source's left column, read upwards.
        f.panel->startScan();
        OCRSelectionView* selection = f.panel->scanSelection();
        f.panel->rotate(90);
        QTRY_COMPARE(f.view->size(), QSize(225, 300));
        QCOMPARE(selection->geometry(), f.view->rect());
        f.select({3, 3}, {33, 33});
        // The report must arrive while the fakes it tells still exist.
        QTRY_VERIFY(!f.panel->scanSelection());
        QCOMPARE(read().size(), 2);
        // View (3, 3) is image point (2, 2), shown pixel (4, 4): source pixel (4, 299 - 4).
        const QImage turned = read().at(1).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(turned.size(), QSize(40, 40));
        QCOMPARE(turned.pixel(0, 0), f.picture.pixel(4, 295));
        QCOMPARE(turned.pixel(39, 0), f.picture.pixel(4, 256));
        QCOMPARE(turned.pixel(0, 39), f.picture.pixel(43, 295));
    }

    void managerKeepsOrderThroughRemovalsLoweringAndCloseAll()
    {
        Fixture f;
        QPointer<ScreenshotOverlayPanel> b = f.manager.createOverlay(f.picture, {0, 0, 120, 80});
        auto* c = f.manager.createOverlay(f.picture, {0, 100, 120, 80});
        {
            const std::shared_ptr<void> guard = f.panel->lowerAllPanels();
            QCOMPARE((QList{f.panel->level(), b->level()}),
                     QList<WindowLevel>(2, WindowLevel::Normal));
            // A panel that goes meanwhile is simply not lifted again.
            f.manager.removeOverlay(b);
            QCOMPARE(f.manager.overlays(), (QList<ScreenshotOverlayPanel*>{f.panel, c}));
            // One no longer in the list is ignored, and deleted once the event loop runs.
            f.manager.removeOverlay(b);
            QCOMPARE(f.manager.overlays().size(), 2);
            QTRY_VERIFY(!b);
        }
        QCOMPARE((QList{f.panel->level(), c->level()}),
                 QList<WindowLevel>(2, WindowLevel::Floating));

        // One created while the others fade out survives them.
        f.manager.closeAllOverlays();
        auto* late = f.manager.createOverlay(f.picture, {0, 0, 120, 80});
        QTRY_COMPARE(f.manager.overlays(), QList<ScreenshotOverlayPanel*>{late});
        QTest::qWait(ScreenshotOverlayPanel::fadeOutMs * 2);
        QCOMPARE(f.manager.overlays(), QList<ScreenshotOverlayPanel*>{late});
        // Dismissing twice still removes it once.
        late->dismiss();
        late->dismiss();
        QTRY_VERIFY(f.manager.overlays().isEmpty());
    }

    // Where the window manager would not keep it in place (sway), it places itself, steps aside
    // under alerts and holds the keys after a press until a button is pressed elsewhere.
    void besideTheManagerItPlacesItselfAndHoldsTheKeys()
    {
        Fixture f({120, 80}, {}, [](FakePlatform& p) { p.windows.placement = false; });
        QVERIFY(f.panel->windowFlags().testFlag(Qt::X11BypassWindowManagerHint));
        QCOMPARE(f.panel->windowType(), Qt::Window); // the compositor never gives a utility keys
        f.press({10, 10});
        QCOMPARE(QWidget::keyboardGrabber(), f.view);
        QCursor::setPos(350, 240); // a press on the screenshot itself keeps them
        f.platform.globalInput.send(GlobalInput::ButtonPressed);
        QTest::qWait(20);
        QCOMPARE(QWidget::keyboardGrabber(), f.view);
        QCursor::setPos(50, 50); // and so does anything but a press elsewhere
        f.platform.globalInput.send(GlobalInput::EscapePressed);
        QTest::qWait(20);
        QCOMPARE(QWidget::keyboardGrabber(), f.view);
        f.platform.globalInput.send(GlobalInput::ButtonPressed);
        QTRY_VERIFY(!QWidget::keyboardGrabber());
        QVERIFY(f.platform.globalInput.handlers.empty());
        {
            const LoweredPanels lowered(f.manager);
            QVERIFY(!f.panel->isVisible());
        }
        QVERIFY(f.panel->isVisible());
    }

    // In a layer above full-screen windows (KWin) nothing managed covers it: it steps aside.
    void aboveFullScreenWindowsItStepsAsideUnderAlerts()
    {
        Fixture f({120, 80}, {}, [](FakePlatform& p) { p.windows.aboveFullScreen = true; });
        QVERIFY(f.panel->isVisible());
        {
            const LoweredPanels lowered(f.manager);
            QVERIFY(!f.panel->isVisible());
        }
        QVERIFY(f.panel->isVisible());
    }

    // Ctrl+S, Ctrl+W, Escape and Ctrl+Z while editing are pressed on a screenshot above.
    void keys_data()
    {
        // state: caps lock on, editing, marks on the screenshot.
        columns<int, int, QString, KeyCommand>({"key", "modifiers", "state", "command"});
        const int ctrl = Qt::ControlModifier;
        const int ctrlShift = int(Qt::ControlModifier | Qt::ShiftModifier);
        const auto row = [](const char* name, int key, int modifiers, const char* state,
                            KeyCommand command) {
            QTest::newRow(name) << key << modifiers << QString::fromLatin1(state) << command;
        };
        row("ctrl+c", Qt::Key_C, ctrl, "", KeyCommand::Copy);
        row("ctrl+c, caps lock", Qt::Key_C, ctrl, "caps", KeyCommand::PassOn);
        row("ctrl+keypad c", Qt::Key_C, ctrl | Qt::KeypadModifier, "", KeyCommand::PassOn);
        row("c alone", Qt::Key_C, 0, "", KeyCommand::PassOn);
        row("ctrl+shift+c", Qt::Key_C, ctrlShift, "", KeyCommand::PassOn);
        row("ctrl+x", Qt::Key_X, ctrl, "", KeyCommand::PassOn);
        row("ctrl+z with marks, not editing", Qt::Key_Z, ctrl, "marks", KeyCommand::Swallow);
        row("ctrl+shift+z", Qt::Key_Z, ctrlShift, "editing marks", KeyCommand::Swallow);
        row("escape editing, any modifier", Qt::Key_Escape, Qt::AltModifier, "caps editing marks",
            KeyCommand::ExitEditMode);
    }

    void keys()
    {
        const auto [key, modifiers, state, command] =
            fetch<int, int, QString, KeyCommand>({"key", "modifiers", "state", "command"});
        const auto is = [&state](const char* what) { return state.contains(QLatin1String(what)); };
        QCOMPARE(keyCommandFor(key, Qt::KeyboardModifiers(modifiers), is("caps"), is("editing"),
                               is("marks")),
                 command);
    }

    // Zooming below the current size is offered only back to 100 %. Every step of a frame starts
    // from the previous frame, about the same centre.
    void zoomPresetsAndFramesThatKeepTheirCentre()
    {
        const auto states = [](double scale) {
            QString out;
            for (const ResizePreset& p : resizePresets(scale))
                out += QStringLiteral("%1=%2%3%4|")
                           .arg(p.title, QString::number(p.tag),
                                p.enabled ? QString() : QStringLiteral(" off"),
                                p.checked ? QStringLiteral(" on") : QString());
            return out;
        };
        QCOMPARE(
            states(2.0),
            QStringLiteral("100% (Original)=100|125%=125 off|150%=150 off|200%=200 on|300%=300|"));
        QCOMPARE(states(1.0),
                 QStringLiteral("100% (Original)=100 on|125%=125|150%=150|200%=200|300%=300|"));

        const QSizeF capture(400, 300);
        QRectF frame = *displayScaleFrame({100, 100, 400, 300}, capture, 1.5, 0);
        QCOMPARE(frame, QRectF(0, 25, 600, 450));
        frame = rotatedFrame(frame, capture, 1.5, 90);
        QCOMPARE(frame, QRectF(75, -50, 450, 600));
        frame = *displayScaleFrame(frame, capture, 1.0, 270);
        QCOMPARE(frame, QRectF(150, 50, 300, 400));
        QCOMPARE(rotatedFrame(frame, capture, 1.0, 0), QRectF(100, 100, 400, 300));
        QCOMPARE(normalisedRotation(-90), 270);

        // Below 100 % nothing changes.
        QVERIFY(!displayScaleFrame({100, 100, 400, 300}, capture, 0.999, 90));

        const QSizeF odd(333, 217);
        const QRectF start(17, 29, 333, 217);
        frame = start;
        int rotation = 0;
        for (const double scale : {1.25, 3.0, 1.5, 2.0, 1.0}) {
            frame = *displayScaleFrame(frame, odd, scale, rotation);
            rotation = normalisedRotation(rotation + 90);
            frame = rotatedFrame(frame, odd, scale, rotation);
        }
        frame = rotatedFrame(frame, odd, 1.0, 0);
        QCOMPARE(frame.size(), odd);
        QVERIFY((frame.center() - start.center()).manhattanLength() < 1e-9);

        // A picture fitted into a frame of another shape sits in its middle.
        QCOMPARE(aspectFitRect({400, 300}, {0, 0, 800, 300}), QRectF(200, 0, 400, 300));
        QCOMPARE(aspectFitRect({300, 400}, {0, 0, 400, 300}), QRectF(87.5, 0, 225, 300));
        QCOMPARE(aspectFitRect({0, 0}, {0, 0, 400, 300}), QRectF());
    }

    // Where the red top-left pixel of a 4 x 2 picture lands, turned clockwise.
    void rotatedImageKeepsEveryPixelAndTheScale()
    {
        QImage source = filledPicture({4, 2}, Qt::blue);
        source.setPixel(0, 0, qRgb(255, 0, 0));
        source.setDevicePixelRatio(2.0);
        for (const auto& [degrees, redAt] : {std::pair{0, QPoint(0, 0)},
                                             {90, QPoint(1, 0)},
                                             {450, QPoint(1, 0)},
                                             {180, QPoint(3, 1)},
                                             {-90, QPoint(0, 3)}}) {
            QImage expected = filledPicture(degrees % 180 ? QSize(2, 4) : QSize(4, 2), Qt::blue);
            expected.setPixel(redAt, qRgb(255, 0, 0));
            expected.setDevicePixelRatio(2.0);
            const QImage turned = vellumbox::rotatedImage(source, degrees);
            QCOMPARE(turned, expected);
            QCOMPARE(turned.devicePixelRatio(), 2.0);
        }
    }

    void fileNamesAndFormats()
    {
        for (const char* jpeg : {"/tmp/a.jpeg", "/tmp/a.JpEg"})
            QCOMPARE(imageFormatForPath(QString::fromLatin1(jpeg)), QByteArray("JPEG"));
        for (const char* png : {"/tmp/a.tiff", "/tmp/a", "/tmp/x.jpg/a"})
            QCOMPARE(imageFormatForPath(QString::fromLatin1(png)), QByteArray("PNG"));

        const QDateTime when(QDate(2026, 12, 6), QTime(14, 5));
        const QString english =
            defaultScreenshotName(when, QLocale(QLocale::English, QLocale::UnitedStates));
        QVERIFY2(english.startsWith(QStringLiteral("Screenshot ")) &&
                     english.contains(QStringLiteral("December")) &&
                     english.contains(QStringLiteral("2026")) &&
                     !english.contains(QStringLiteral("Sunday")),
                 qPrintable(english));
        for (const QLocale& locale : {QLocale(QLocale::German), QLocale(QLocale::French),
                                      QLocale(QLocale::English, QLocale::UnitedStates)}) {
            const QString name = defaultScreenshotName(when, locale);
            QVERIFY2(!name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char(':')),
                     qPrintable(name));
        }
    }

    void pixelsSurviveCompactionExactly()
    {
        // Noise: the worst case for the compressor, and every bit must come back, in its format
        // and at its scale.
        QImage original(123, 77, QImage::Format_ARGB32_Premultiplied);
        QRandomGenerator random(7);
        for (int y = 0; y < original.height(); ++y)
            for (int x = 0; x < original.width(); ++x)
                original.setPixel(x, y, qPremultiply(random.generate()));
        original.setDevicePixelRatio(2.0);
        CompactImage compact(original);
        QSignalSpy compacted(&compact, &CompactImage::compacted);
        // Without pixels there is nothing to give up, ever.
        CompactImage none{QImage()};
        QSignalSpy noneCompacted(&none, &CompactImage::compacted);
        // Kept decoded while in use.
        for (int i = 0; i < 6; ++i) {
            QTest::qWait(CompactImage::idleMs / 3);
            QVERIFY(!compact.image().isNull());
            QVERIFY(compact.isDecoded());
        }
        QTRY_VERIFY_WITH_TIMEOUT(!compact.isDecoded(), 5000);
        QCOMPARE(compacted.size(), 1);
        QCOMPARE(noneCompacted.size(), 0);
        const QImage back = compact.image();
        QCOMPARE(back, original);
        QCOMPARE(back.format(), original.format());
        QCOMPARE(back.devicePixelRatio(), 2.0);
        QCOMPARE(compact.size(), QSize(123, 77));
    }
};

QTEST_MAIN(TestOverlay)
#include "tst_overlay.moc"
