// SPDX-License-Identifier: GPL-3.0-or-later
#include "annotation/AnnotationCanvas.h"
#include "overlay/CompactImage.h"
#include "overlay/LoweredPanels.h"
#include "overlay/OverlayManager.h"
#include "overlay/ScreenshotOverlayPanel.h"
#include "overlay/ScreenshotOverlayView.h"
#include "platform/SystemColors.h"
#include "support/OverlayServices.h"

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
using namespace vellumbox::testing;
using Tool = AnnotationToolType;

namespace {

// Files this process writes may not grow past the limit while it lives: like a full disk,
// but binding root too.
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

// One floating screenshot of a position picture, 120 x 80 at (300, 200).
struct Fixture {
    FakePlatform platform;
    OverlayManager manager{overlayServices(platform)};
    QImage picture;
    QPointer<ScreenshotOverlayPanel> panel;
    ScreenshotOverlayView* view = nullptr;

    explicit Fixture(QSize size = {120, 80}, QImage image = {})
        : picture(image.isNull() ? positionPicture(size) : std::move(image))
    {
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
    std::unique_ptr<QMenu> menu;
};

QStringList titles(const QMenu& menu)
{
    QStringList out;
    for (const QAction* action : menu.actions())
        out.append(action->isSeparator() ? QStringLiteral("-") : action->text());
    return out;
}

constexpr int settleMs = ScreenshotOverlayPanel::fadeOutMs + ScreenshotOverlayPanel::shakeMs;

} // namespace

class TestScreenshotOverlayPanel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void floatsWhereTakenAndFadesIn();
    void shortClickClosesOrShakes_data();
    void shortClickClosesOrShakes();
    void dragMovesByEachEventsTravelAndNeverCloses();
    void keysCopyCloseAndSwallow();
    void menuListsEveryItemInOrder();
    void menuPinsResizesRotatesAndClosesAll();
    void zoomCentresOnWhereThePanelWasMoved();
    void paintsHardPixelsAndTheBorder();
    void levelReturnsAfterLosingTheFocus();
    void shareHandsOverTheFlattenedImage();
    void saveWritesPngOrJpeg();
    void failedSaveShowsAnAlertAndKeepsTheOldFile();
    void saveAfterTheScreenshotClosedWritesNothing();
    void compactedPixelsStillShowAndExport();
    void editModeWatchesOnlyWhileEditing();
    void escapeAnywhereEndsEditModeAndIsSwallowed();
    void annotationsOutliveEditModeAndClicksCloseAgain();
    void undoClearAndExportLeaveEditMode();
    void flatteningDrawsAtThePixelSizeOnTheRotatedGrid();
    void flatteningWithAndWithoutTheLayerAgree();
    void scanReadsWhatWasDraggedAtAnyZoomAndTurn();
    void secondScanAddsNoSecondSelection();
    void removingKeepsTheOrderOfTheOthers();
    void panelCreatedDuringACloseAllSurvivesIt();
    void loweredWhileTheGuardLives();
};

void TestScreenshotOverlayPanel::floatsWhereTakenAndFadesIn()
{
    Fixture f;
    QCOMPARE(f.manager.overlays(), QList<ScreenshotOverlayPanel*>{f.panel.data()});
    QCOMPARE(f.panel->geometry(), QRect(300, 200, 120, 80));
    QVERIFY(f.panel->isVisible());
    QVERIFY(f.panel->windowOpacity() < 1.0);
    QVERIFY(f.panel->testAttribute(Qt::WA_ShowWithoutActivating));
    QVERIFY(f.panel->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QCOMPARE(f.panel->level(), WindowLevel::Floating);
    QCOMPARE(f.platform.windows.stickyWindows.size(), 1);
    QCOMPARE(f.platform.windows.stickyWindows.first().data(), f.panel->windowHandle());
    QTRY_COMPARE(f.panel->windowOpacity(), 1.0);
}

void TestScreenshotOverlayPanel::shortClickClosesOrShakes_data()
{
    QTest::addColumn<bool>("pinned");
    QTest::addColumn<int>("heldMs");
    QTest::addColumn<bool>("closes");
    QTest::newRow("quick click") << false << 299 << true;
    QTest::newRow("long press") << false << 300 << false;
    QTest::newRow("quick click on a pinned one") << true << 0 << false;
}

void TestScreenshotOverlayPanel::shortClickClosesOrShakes()
{
    QFETCH(bool, pinned);
    QFETCH(int, heldMs);
    QFETCH(bool, closes);
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

void TestScreenshotOverlayPanel::dragMovesByEachEventsTravelAndNeverCloses()
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
    QTest::qWait(settleMs);
    QCOMPARE(f.manager.overlays().size(), 1);
}

void TestScreenshotOverlayPanel::keysCopyCloseAndSwallow()
{
    Fixture f;
    QVERIFY(f.key(Qt::Key_C, Qt::ControlModifier));
    QCOMPARE(f.platform.clipboard.writes, 1);
    QCOMPARE(f.platform.clipboard.image, f.picture);
    QVERIFY(f.flashing());
    QVERIFY(f.key(Qt::Key_Escape));
    QVERIFY(f.key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier));
    QVERIFY(!f.key(Qt::Key_C, Qt::ControlModifier | Qt::AltModifier));
    QCOMPARE(f.platform.clipboard.writes, 1);
    QCOMPARE(f.manager.overlays().size(), 1);
    f.panel->togglePin();
    QVERIFY(f.key(Qt::Key_W, Qt::ControlModifier));
    QTRY_VERIFY(f.manager.overlays().isEmpty());
}

void TestScreenshotOverlayPanel::menuListsEveryItemInOrder()
{
    Fixture f;
    const std::unique_ptr<QMenu> menu = f.panel->contextMenu();
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
    QCOMPARE(
        titles(*menu->actions().at(10)->menu()),
        (QStringList{QStringLiteral("Pencil"), QStringLiteral("Circle"), QStringLiteral("Square"),
                     QStringLiteral("Arrow"), QStringLiteral("Highlight"), QStringLiteral("-"),
                     QStringLiteral("Clear Edits")}));
    QVERIFY(menu->actions().at(3)->menu()->actions().isEmpty());
}

void TestScreenshotOverlayPanel::menuPinsResizesRotatesAndClosesAll()
{
    Fixture f;
    f.menuItem(5)->trigger(); // Pin
    QVERIFY(f.panel->isPinned());
    QCOMPARE(f.menuItem(5)->text(), QStringLiteral("Unpin"));
    f.menuItem(6, 3)->trigger(); // 200%
    QTRY_COMPARE(f.panel->geometry(), QRect(240, 160, 240, 160));
    QVERIFY(f.menuItem(6, 3)->isChecked());
    QVERIFY(!f.menuItem(6, 1)->isEnabled());
    f.menuItem(7, 0)->trigger(); // clockwise
    QCOMPARE(f.panel->rotationDegrees(), 90);
    QTRY_COMPARE(f.panel->geometry(), QRect(280, 120, 160, 240));
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
}

void TestScreenshotOverlayPanel::zoomCentresOnWhereThePanelWasMoved()
{
    Fixture f({100, 100});
    f.panel->move(500, 400);
    f.panel->setDisplayScale(2.0);
    QTRY_COMPARE(f.panel->geometry(), QRect(450, 350, 200, 200));
}

void TestScreenshotOverlayPanel::paintsHardPixelsAndTheBorder()
{
    // 4 x 2 logical at scale 2, zoomed to 500 %: every image pixel becomes a 2.5-point block
    // with no blending between neighbours. Square corners: without a compositor the window's
    // mask rounds them.
    QImage checks(8, 4, QImage::Format_RGB32);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x)
            checks.setPixel(x, y, (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    checks.setDevicePixelRatio(2.0);
    FakePlatform platform;
    platform.windows.compositing = false;
    OverlayManager manager(overlayServices(platform));
    ScreenshotOverlayPanel* panel = manager.createOverlay(checks, {0, 0, 40, 20});
    const QImage shown = panel->contentView()->grab().toImage();
    QCOMPARE(shown.size(), QSize(40, 20));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x)
            for (int dx : {0, 2, 4})
                QCOMPARE(shown.pixel(x * 5 + dx, y * 5 + 2), checks.pixel(x, y));

    Fixture f({100, 80});
    QVERIFY(!f.view->border());
    f.panel->togglePin();
    QVERIFY(f.view->border() && !f.view->border()->dashed);
    QCOMPARE(f.view->border()->path.boundingRect(), QRectF(1, 1, 98, 78));
    const QImage pinned = f.view->grab().toImage();
    QCOMPARE(pinned.pixel(50, 1), systemBlue().rgb());
    QCOMPARE(pinned.pixel(1, 40), systemBlue().rgb());
    QCOMPARE(pinned.pixel(50, 40), f.picture.pixel(50, 40));
    f.panel->togglePin();
    QVERIFY(!f.view->border());
}

void TestScreenshotOverlayPanel::levelReturnsAfterLosingTheFocus()
{
    Fixture f;
    f.panel->activateWindow();
    QTRY_VERIFY(f.panel->isActiveWindow());
    f.panel->setLevel(WindowLevel::Normal);
    QVERIFY(!f.panel->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
    QWidget other;
    other.show();
    other.activateWindow();
    QTRY_VERIFY(!f.panel->isActiveWindow());
    QCOMPARE(f.panel->level(), WindowLevel::Normal);
    QTRY_COMPARE(f.panel->level(), WindowLevel::Floating);
    QVERIFY(f.panel->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
}

void TestScreenshotOverlayPanel::shareHandsOverTheFlattenedImage()
{
    Fixture f;
    f.platform.share.available = {{QStringLiteral("viewer.desktop"), QStringLiteral("Viewer"), {}},
                                  {QStringLiteral("mail"), QStringLiteral("E-mail"), {}}};
    f.panel->rotate(90);
    QCOMPARE(titles(*f.menuItem(3)->menu()),
             (QStringList{QStringLiteral("Viewer"), QStringLiteral("E-mail")}));
    f.menuItem(3, 1)->trigger();
    QCOMPARE(f.platform.share.shared.size(), 1);
    QCOMPARE(f.platform.share.shared.first().first, QStringLiteral("mail"));
    QCOMPARE(f.platform.share.shared.first().second, f.panel->flattenedImage());
    QVERIFY(f.flashing());

    // An application that cannot start: said so, no flash.
    QTRY_VERIFY(!f.flashing());
    f.platform.share.failWith = QStringLiteral("Viewer could not be started: no such file");
    f.menuItem(3, 0)->trigger();
    QCOMPARE(f.platform.alerts.shown.size(), 1);
    QCOMPARE(f.platform.alerts.shown.first().message, QStringLiteral("Share Failed"));
    QVERIFY(!f.flashing());
}

void TestScreenshotOverlayPanel::saveWritesPngOrJpeg()
{
    Fixture f;
    QTemporaryDir dir;
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
    QCOMPARE(QImageReader(jpeg).format(), QByteArray("jpeg"));
    const QImage decoded = QImage(jpeg).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(decoded.size(), f.picture.size());
    QVERIFY(qAbs(qRed(decoded.pixel(60, 40)) - qRed(f.picture.pixel(60, 40))) < 12);

    f.panel->saveToFile();
    f.platform.saveDialog.answer(std::nullopt);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2);
    QVERIFY(f.platform.alerts.shown.isEmpty());
}

void TestScreenshotOverlayPanel::failedSaveShowsAnAlertAndKeepsTheOldFile()
{
    Fixture f;
    QTemporaryDir dir;
    f.panel->saveToFile();
    f.platform.saveDialog.answer(dir.filePath(QStringLiteral("missing/folder/shot.png")));
    QCOMPARE(f.platform.alerts.shown.size(), 1);
    QCOMPARE(f.platform.alerts.shown.first().message, QStringLiteral("Save Failed"));
    QVERIFY(!f.platform.alerts.shown.first().informativeText.isEmpty());
    QVERIFY(!f.flashing());

    // A write that runs out of room half-way: the old contents survive.
    const QString existing = dir.filePath(QStringLiteral("keep.png"));
    QFile old(existing);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("precious");
    old.close();
    {
        const FileSizeLimit limit(64);
        f.panel->saveToFile();
        f.platform.saveDialog.answer(existing);
    }
    QCOMPARE(f.platform.alerts.shown.size(), 2);
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("precious"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("keep.png")});
}

void TestScreenshotOverlayPanel::saveAfterTheScreenshotClosedWritesNothing()
{
    Fixture f;
    QTemporaryDir dir;
    f.panel->saveToFile();
    f.manager.removeOverlay(f.panel);
    QTRY_VERIFY(!f.panel);
    const QString path = dir.filePath(QStringLiteral("late.png"));
    f.platform.saveDialog.answer(path);
    QVERIFY(!QFile::exists(path));
}

void TestScreenshotOverlayPanel::compactedPixelsStillShowAndExport()
{
    Fixture f({40, 30});
    const QImage before = f.view->grab().toImage();
    f.panel->rotate(90);
    QCOMPARE(f.panel->displayedImage().size(), QSize(30, 40));
    QTest::qWait(CompactImage::idleMs * 3);
    QCOMPARE(f.panel->screenshotImage(), f.picture);
    f.panel->rotate(-90);
    QTRY_COMPARE(f.view->size(), QSize(40, 30));
    QCOMPARE(f.view->grab().toImage(), before);
    QCOMPARE(f.panel->flattenedImage(), f.picture);
}

void TestScreenshotOverlayPanel::editModeWatchesOnlyWhileEditing()
{
    Fixture f;
    f.panel->enterEditMode(Tool::pencil);
    f.panel->enterEditMode(Tool::arrow);
    QCOMPARE(f.platform.globalInput.subscriptions, 1);
    QCOMPARE(f.platform.globalInput.handlers.size(), 1U);
    QCOMPARE(f.panel->annotationCanvas()->activeTool(), std::optional(Tool::arrow));
    QVERIFY(f.view->border() && f.view->border()->dashed);
    // The Edit submenu offers to leave only while editing.
    QCOMPARE(f.menuItem(10, 7)->text(), QStringLiteral("Exit Edit Mode"));
    f.menuItem(10, 7)->trigger();
    QVERIFY(!f.panel->isInEditMode());
    QVERIFY(f.platform.globalInput.handlers.empty());
    QCOMPARE(f.menuItem(10)->menu()->actions().size(), 7);
    QVERIFY(!f.view->border());

    // Closing a screenshot in edit mode removes them too.
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

void TestScreenshotOverlayPanel::escapeAnywhereEndsEditModeAndIsSwallowed()
{
    Fixture f;
    QWidget elsewhere;
    int keysElsewhere = 0;
    struct Counter : QObject {
        int* count;
        explicit Counter(int* c)
            : count(c)
        {}
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::KeyPress)
                ++*count;
            return false;
        }
    } counter(&keysElsewhere);
    elsewhere.installEventFilter(&counter);
    f.panel->enterEditMode(Tool::pencil);
    // In this application, even in another window: swallowed before it arrives there.
    QTest::keyClick(&elsewhere, Qt::Key_Escape);
    QVERIFY(!f.panel->isInEditMode());
    QCOMPARE(keysElsewhere, 0);
    // Outside edit mode nothing is watched.
    QTest::keyClick(&elsewhere, Qt::Key_Escape);
    QCOMPARE(keysElsewhere, 1);

    // In another application: ended from the event loop.
    f.panel->enterEditMode(Tool::pencil);
    f.platform.globalInput.send(GlobalInput::EscapePressed);
    QVERIFY(f.panel->isInEditMode());
    QTRY_VERIFY(!f.panel->isInEditMode());
}

void TestScreenshotOverlayPanel::annotationsOutliveEditModeAndClicksCloseAgain()
{
    QImage white(200, 100, QImage::Format_RGB32);
    white.fill(Qt::white);
    Fixture f({200, 100}, white);
    f.panel->enterEditMode(Tool::square);
    f.draw({20, 20}, {120, 80});
    QCOMPARE(f.panel->annotationCanvas()->annotations().size(), 1);
    // A short click while editing draws instead of closing.
    QCOMPARE(f.manager.overlays().size(), 1);
    QVERIFY(f.key(Qt::Key_Escape));
    QVERIFY(!f.panel->isInEditMode());
    QCOMPARE(f.panel->annotationCanvas()->annotations().size(), 1);
    QVERIFY(isRed(f.view->grab().toImage().pixel(20, 50)));
    QCOMPARE(f.view->cursor().shape(), Qt::OpenHandCursor);
    // The canvas lets the mouse through: a short click closes the screenshot again.
    QCOMPARE(f.view->childAt(60, 50), nullptr);
    QTest::mouseClick(f.view, Qt::LeftButton, Qt::NoModifier, {60, 50});
    QTRY_VERIFY(f.manager.overlays().isEmpty());
}

void TestScreenshotOverlayPanel::undoClearAndExportLeaveEditMode()
{
    QImage white(200, 100, QImage::Format_RGB32);
    white.fill(Qt::white);
    Fixture f({200, 100}, white);
    f.panel->enterEditMode(Tool::pencil);
    f.draw({10, 10}, {50, 50});
    f.draw({60, 10}, {90, 50});
    QVERIFY(f.key(Qt::Key_Z, Qt::ControlModifier));
    QCOMPARE(f.panel->annotationCanvas()->annotations().size(), 1);
    f.panel->exitEditMode();
    // Clear Edits works outside edit mode and does not enter it.
    f.menuItem(10, 6)->trigger();
    QVERIFY(f.panel->annotationCanvas()->annotations().isEmpty());
    QVERIFY(!f.panel->isInEditMode());
    // An action other than close leaves edit mode first; the marks stay and are exported.
    f.panel->enterEditMode(Tool::highlight);
    f.draw({10, 10}, {100, 60});
    QVERIFY(f.key(Qt::Key_C, Qt::ControlModifier));
    QVERIFY(!f.panel->isInEditMode());
    // Yellow at 0.3 on white.
    QVERIFY(qAbs(qBlue(f.platform.clipboard.image.pixel(50, 30)) - 178) <= 1);
    for (const auto& [index, sub] : {std::pair{5, -1}, {6, 0}, {7, 0}}) {
        f.panel->enterEditMode(Tool::pencil);
        f.menuItem(index, sub)->trigger(); // pin, resize, rotate
        QVERIFY2(!f.panel->isInEditMode(), qPrintable(QString::number(index)));
    }
}

void TestScreenshotOverlayPanel::flatteningDrawsAtThePixelSizeOnTheRotatedGrid()
{
    // 600 x 450: the exported line is 6 pixels wide.
    Fixture f({600, 450});
    f.panel->enterEditMode(Tool::pencil);
    f.draw({100, 225}, {500, 225});
    f.panel->exitEditMode();
    const QImage flat = f.panel->flattenedImage();
    int thickness = 0;
    for (int y = 200; y < 250; ++y)
        thickness += isRed(flat.pixel(300, y)) ? 1 : 0;
    QCOMPARE(thickness, 6);

    // Turned by 90 degrees, a mark drawn near the top left of what is shown lands there in
    // the flattened (rotated) image.
    QImage white(300, 200, QImage::Format_RGB32);
    white.fill(Qt::white);
    Fixture turned({300, 200}, white);
    turned.panel->rotate(90);
    QTRY_COMPARE(turned.view->size(), QSize(200, 300));
    turned.panel->enterEditMode(Tool::square);
    turned.draw({20, 20}, {60, 80});
    const QImage rotated = turned.panel->flattenedImage();
    QCOMPARE(rotated.size(), QSize(200, 300));
    QVERIFY(isRed(rotated.pixel(20, 50)));
    QVERIFY(!isRed(rotated.pixel(150, 250)));
    // The annotation in progress is not exported.
    QTest::mousePress(turned.panel->annotationCanvas(), Qt::LeftButton, Qt::NoModifier, {150, 250});
    QTest::mouseMove(turned.panel->annotationCanvas(), {190, 290});
    QVERIFY(!isRed(turned.panel->flattenedImage().pixel(150, 270)));
}

void TestScreenshotOverlayPanel::flatteningWithAndWithoutTheLayerAgree()
{
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

void TestScreenshotOverlayPanel::scanReadsWhatWasDraggedAtAnyZoomAndTurn()
{
    // Captured on a 2x screen: 200 x 150 points in 400 x 300 pixels.
    Fixture f({200, 150}, positionPicture({400, 300}, 2.0));
    const auto read = [&f] { return f.platform.textRecognizer.receivedImages(); };
    f.panel->setDisplayScale(1.5);
    QTRY_COMPARE(f.view->size(), QSize(300, 225));

    f.panel->startScan();
    QVERIFY(f.panel->scanSelection());
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
    QTRY_COMPARE(read().size(), 2);
    // View (3, 3) is image point (2, 2), shown pixel (4, 4): source pixel (4, 299 - 4).
    const QImage turned = read().at(1).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(turned.size(), QSize(40, 40));
    QCOMPARE(turned.pixel(0, 0), f.picture.pixel(4, 295));
    QCOMPARE(turned.pixel(39, 0), f.picture.pixel(4, 256));
    QCOMPARE(turned.pixel(0, 39), f.picture.pixel(43, 295));
}

void TestScreenshotOverlayPanel::secondScanAddsNoSecondSelection()
{
    Fixture f;
    f.panel->enterEditMode(AnnotationToolType::pencil);
    f.panel->startScan();
    QVERIFY(!f.panel->isInEditMode());
    OCRSelectionView* first = f.panel->scanSelection();
    f.panel->startScan();
    QCOMPARE(f.panel->scanSelection(), first);
    QCOMPARE(f.view->findChildren<OCRSelectionView*>().size(), 1);
    QTest::keyClick(first, Qt::Key_Escape);
    QVERIFY(!f.panel->scanSelection());
    QVERIFY(f.platform.alerts.shown.isEmpty());
    f.panel->startScan();
    QVERIFY(f.panel->scanSelection());
    QVERIFY(f.panel->scanSelection() != first);
}

void TestScreenshotOverlayPanel::removingKeepsTheOrderOfTheOthers()
{
    Fixture f;
    QPointer<ScreenshotOverlayPanel> b = f.manager.createOverlay(f.picture, {0, 0, 120, 80});
    auto* c = f.manager.createOverlay(f.picture, {0, 100, 120, 80});
    f.manager.removeOverlay(b);
    QCOMPARE(f.manager.overlays(), (QList<ScreenshotOverlayPanel*>{f.panel, c}));
    // A panel no longer in the list is ignored, and deleted once the event loop runs.
    f.manager.removeOverlay(b);
    QCOMPARE(f.manager.overlays().size(), 2);
    QTRY_VERIFY(!b);
}

void TestScreenshotOverlayPanel::panelCreatedDuringACloseAllSurvivesIt()
{
    Fixture f;
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

void TestScreenshotOverlayPanel::loweredWhileTheGuardLives()
{
    Fixture f;
    QPointer<ScreenshotOverlayPanel> other = f.manager.createOverlay(f.picture, {0, 0, 120, 80});
    {
        const std::shared_ptr<void> guard = f.panel->lowerAllPanels();
        QCOMPARE(f.panel->level(), WindowLevel::Normal);
        QCOMPARE(other->level(), WindowLevel::Normal);
        // A panel that goes meanwhile is simply not lifted again.
        f.manager.removeOverlay(other);
        QTRY_VERIFY(!other);
    }
    QCOMPARE(f.panel->level(), WindowLevel::Floating);
}

QTEST_MAIN(TestScreenshotOverlayPanel)
#include "tst_screenshotoverlaypanel.moc"
