// SPDX-License-Identifier: GPL-3.0-or-later
#include "annotation/AnnotationCanvas.h"
#include "annotation/AnnotationRenderer.h"
#include "annotation/ToolCursors.h"
#include "capture/CaptureGeometry.h"
#include "capture/ScreenCaptureManager.h"
#include "capture/SelectionCursor.h"
#include "capture/SelectionOverlayView.h"
#include "capture/SelectionOverlayWindow.h"
#include "ocr/OCRSelectionView.h"
#include "ocr/OcrGeometry.h"
#include "ocr/TextOrdering.h"
#include "ocr/TextRecognition.h"
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
#include <QSemaphore>
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
Q_DECLARE_METATYPE(QList<vellumbox::RecognizedLine>)

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

QImage render(const QList<Annotation>& annotations, QSize size, QColor background = Qt::white,
              bool antialiased = false)
{
    QImage image = filledPicture(size, background);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, antialiased);
    for (const Annotation& a : annotations)
        renderAnnotation(a, painter, QSizeF(size));
    return image;
}

QRect redArea(const QImage& image)
{
    QRect area;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (isRed(image.pixel(x, y)))
                area |= QRect(x, y, 1, 1);
    return area;
}

// A line from a box given from the bottom-left, y upwards, as some recognisers report them.
RecognizedLine fromBottomLeft(double x, double bottom, double width, double height,
                              const char* text)
{
    return {QRectF(x, 1.0 - bottom - height, width, height), QString::fromLatin1(text)};
}

// Holds every recognition until the test lets it go.
class GatedRecognizer final : public TextRecognizer {
public:
    QSemaphore gate;
    QList<RecognizedLine> lines;

    TextRecognitionResult recognize(const QImage&) override
    {
        gate.acquire();
        return {lines, std::nullopt};
    }
};

// A selection over a 400 x 300 screenshot, counting the guards that lower the screenshots.
struct Selection {
    FakePlatform platform;
    int lowered = 0;
    int loweredDuringAlert = -1;
    int completions = 0;
    QWidget host;
    QPointer<OCRSelectionView> view;

    explicit Selection(TextRecognizer* recognizer = nullptr)
    {
        host.resize(400, 300);
        view = new OCRSelectionView(positionPicture({400, 300}), services(recognizer), &host);
        view->setGeometry(host.rect());
        view->onComplete = [this] { ++completions; };
        platform.alerts.whileShown = [this](const Alert&) { loweredDuringAlert = lowered; };
    }
    TextRecognitionServices services(TextRecognizer* recognizer = nullptr)
    {
        return {recognizer ? *recognizer : platform.textRecognizer, platform.alerts,
                platform.clipboard, [this] {
                    ++lowered;
                    return std::shared_ptr<void>(nullptr, [this](void*) { --lowered; });
                }};
    }
};

struct CaptureFixture {
    FakePlatform platform;
    OverlayManager overlays{overlayServices(platform)};
    std::unique_ptr<ScreenCaptureManager> manager;
    int permissionRequests = 0;

    CaptureFixture()
    {
        platform.screens.screenList = twoScreens();
        platform.screens.cursor = QPoint(100, 100);
        manager = std::make_unique<ScreenCaptureManager>(
            ScreenCaptureManager::Services{platform.screens, platform.capture, platform.permission,
                                           platform.alerts, platform.cursor, platform.windows},
            overlays);
        manager->onPermissionMissing = [this] { ++permissionRequests; };
    }
    ~CaptureFixture() { manager->closeSelectionWindows(); }
    bool idle() const { return !manager->isSelecting() && manager->selectionWindows().empty(); }
    SelectionOverlayWindow* window(int index) const
    {
        return manager->selectionWindows().at(static_cast<size_t>(index)).get();
    }
};

// A 400 x 300 selection that keeps what it reports.
struct DragSelection {
    SelectionOverlayView view;
    QList<QRectF> completed;
    int cancelled = 0;

    explicit DragSelection(QImage picture = {})
        : view(std::move(picture), nullptr)
    {
        view.resize(400, 300);
        view.onSelectionComplete = [this](const QRectF& r) { completed.append(r); };
        view.onSelectionCancelled = [this] { ++cancelled; };
    }
};

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
        QCursor::setPos(50, 50);
        f.platform.globalInput.send(GlobalInput::ButtonPressed);
        QTRY_VERIFY(!QWidget::keyboardGrabber());
        QVERIFY(f.platform.globalInput.handlers.empty());
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

    void lineWidthFollowsTheShorterSide_data()
    {
        columns<QSize, int>({"size", "width"});
        QTest::newRow("150 x 100") << QSize(150, 100) << 2;
        QTest::newRow("600 x 450") << QSize(600, 450) << 6;
        QTest::newRow("3000 x 2000") << QSize(3000, 2000) << 12;
    }

    void lineWidthFollowsTheShorterSide()
    {
        const auto [size, width] = fetch<QSize, int>({"size", "width"});
        // A horizontal pencil line is exactly that many pixels thick; a click, a dot as wide.
        QCOMPARE(redArea(render({{Tool::pencil, {{0.2, 0.5}, {0.8, 0.5}}}}, size)).height(), width);
        const QRect dot = redArea(render({{Tool::pencil, {{0.5, 0.5}, {0.5, 0.5}}}}, size));
        QVERIFY2(qAbs(dot.width() - width) <= 1 && qAbs(dot.height() - width) <= 1,
                 qPrintable(QDebug::toString(dot)));
        // The open head reaches 5 widths back, 30 degrees each side: across, 5 widths and the pen.
        const QRect arrow = redArea(render({{Tool::arrow, {{0.2, 0.5}, {0.8, 0.5}}}}, size));
        QVERIFY2(qAbs(arrow.height() - 6 * width) <= 1,
                 qPrintable(QString::number(arrow.height())));
        // Its wings lie either side of the shaft alike.
        QVERIFY(qAbs(arrow.center().y() - size.height() / 2) <= 1);
        QCOMPARE(arrow.right(), qRound(0.8 * size.width() + width / 2.0) - 1);
    }

    // Shapes need two points and ignore the drag's direction; highlights blend at 0.3.
    void rendererDrawsWholeShapesAndBlendsHighlights()

    {
        const QImage blank = render({}, {100, 80});
        for (const Tool tool : allAnnotationTools) {
            QCOMPARE(render({{tool, {}}}, {100, 80}), blank);
            // One point: nothing for a shape, and an empty path for the pencil.
            QCOMPARE(render({{tool, {{0.5, 0.5}}}}, {100, 80}), blank);
            // Zero size: everything collapses to the origin, and nothing breaks.
            QImage tiny = filledPicture({8, 8}, Qt::white);
            QPainter painter(&tiny);
            renderAnnotation({tool, {{0.1, 0.1}, {0.9, 0.9}}}, painter, {0, 0});
            painter.end();
            QVERIFY(QRect(0, 0, 3, 3).contains(redArea(tiny)) || redArea(tiny).isNull());
        }
        for (const Tool tool : {Tool::circle, Tool::square, Tool::highlight}) {
            const QImage forwards = render({{tool, {{0.2, 0.3}, {0.7, 0.8}}}}, {200, 100});
            QCOMPARE(render({{tool, {{0.7, 0.8}, {0.2, 0.3}}}}, {200, 100}), forwards);
            QCOMPARE(render({{tool, {{0.2, 0.8}, {0.7, 0.3}}}}, {200, 100}), forwards);
            // Points past the second are ignored.
            QCOMPARE(render({{tool, {{0.2, 0.3}, {0.7, 0.8}, {0.0, 0.0}}}}, {200, 100}), forwards);
        }
        // The square's outline straddles its rectangle (40..140 x 30..80), L = 2.
        const QImage square = render({{Tool::square, {{0.2, 0.3}, {0.7, 0.8}}}}, {200, 100});
        QCOMPARE(redArea(square), QRect(39, 29, 102, 52));

        const QImage once = render({{Tool::highlight, {{0.1, 0.1}, {0.6, 0.6}}}}, {100, 100});
        // Yellow at 0.3 over white: red and green stay, blue drops to 70 %.
        QVERIFY(near(once.pixel(30, 30), qRgb(255, 255, 178), 1));
        QCOMPARE(once.pixel(80, 80), qRgb(255, 255, 255));

        const QImage twice = render({{Tool::highlight, {{0.1, 0.1}, {0.6, 0.6}}},
                                     {Tool::highlight, {{0.3, 0.3}, {0.9, 0.9}}}},
                                    {100, 100});
        QVERIFY(qAbs(qBlue(twice.pixel(40, 40)) - 125) <= 2); // 0.7 of 0.7
        // Drawing leaves the painter as it found it: no opacity or pen carries over.
        QImage image(50, 50, QImage::Format_RGB32);
        QPainter painter(&image);
        painter.setPen(QPen(Qt::green, 3));
        painter.setOpacity(0.8);
        renderAnnotation({Tool::highlight, {{0, 0}, {1, 1}}}, painter, {50, 50});
        renderAnnotation({Tool::arrow, {{0, 0}, {1, 1}}}, painter, {50, 50});
        QCOMPARE(painter.pen(), QPen(Qt::green, 3));
        QCOMPARE(painter.opacity(), 0.8);
    }

    void canvasRecordsStrokesOnlyWithATool()
    {
        QWidget screenshot;
        screenshot.resize(200, 100);
        auto* canvas = new AnnotationCanvas(&screenshot);
        canvas->resize(200, 100);
        const auto points = [canvas] { return canvas->annotations().last().points; };
        QCOMPARE(screenshot.childAt(50, 50), nullptr);
        QCOMPARE(canvas->cursor().shape(), Qt::ArrowCursor);
        canvas->undo(); // nothing to undo
        canvas->setActiveTool(Tool::circle);
        QCOMPARE(screenshot.childAt(50, 50), canvas);
        QCOMPARE(canvas->cursor().shape(), Qt::BitmapCursor);
        // A shape keeps the press and the latest point.
        QTest::mousePress(canvas, Qt::LeftButton, Qt::NoModifier, {10, 10});
        QTest::mouseMove(canvas, {150, 90});
        QTest::mouseMove(canvas, {110, 60});
        QTest::mouseRelease(canvas, Qt::LeftButton, Qt::NoModifier, {110, 60});
        QCOMPARE(points(), (QList<QPointF>{{0.05, 0.1}, {0.55, 0.6}}));
        QVERIFY(!canvas->currentAnnotation());
        // Dragged out of the canvas: kept outside 0..1, never clamped.
        QTest::mousePress(canvas, Qt::LeftButton, Qt::NoModifier, {190, 90});
        QTest::mouseRelease(canvas, Qt::LeftButton, Qt::NoModifier, {250, 150});
        QCOMPARE(points().last(), QPointF(1.25, 1.5));

        // The pencil keeps every event; a click without movement is two identical points.
        canvas->setActiveTool(Tool::pencil);
        QTest::mousePress(canvas, Qt::LeftButton, Qt::NoModifier, {20, 20});
        for (int i = 1; i <= 7; ++i)
            QTest::mouseMove(canvas, {20 + i * 10, 20 + i * 5});
        QTest::mouseRelease(canvas, Qt::LeftButton, Qt::NoModifier, {100, 70});
        QCOMPARE(points().size(), 9);
        QTest::mouseClick(canvas, Qt::LeftButton, Qt::NoModifier, {150, 50});
        QCOMPARE(points(), (QList<QPointF>{{0.75, 0.5}, {0.75, 0.5}}));

        // Undo leaves the stroke in progress, which keeps its own tool.
        canvas->setActiveTool(Tool::arrow);
        QTest::mousePress(canvas, Qt::LeftButton, Qt::NoModifier, {30, 30});
        canvas->undo();
        QCOMPARE(canvas->annotations().size(), 3);
        QCOMPARE(points().size(), 9);
        QVERIFY(canvas->currentAnnotation());
        canvas->setActiveTool(Tool::pencil);
        QTest::mouseRelease(canvas, Qt::LeftButton, Qt::NoModifier, {60, 60});
        QCOMPARE(canvas->annotations().last().toolType, Tool::arrow);
        canvas->clear();
        QVERIFY(canvas->annotations().isEmpty() && !canvas->currentAnnotation());
        // Not laid out yet: the points are kept as they came, never divided by nothing.
        for (const QSize empty : {QSize(0, 100), QSize(100, 0)}) {
            canvas->resize(empty);
            QTest::mouseClick(canvas, Qt::LeftButton, Qt::NoModifier, {5, 5});
            QCOMPARE(points().first(), QPointF(5, 5));
        }
        canvas->setActiveTool(std::nullopt);
        QCOMPARE(screenshot.childAt(50, 50), nullptr);
    }

    void showsWhatDrawingOneByOneShows()
    {
        const QColor blue(40, 90, 160);
        QWidget screenshot;
        screenshot.resize(240, 160);
        screenshot.setAutoFillBackground(true);
        screenshot.setPalette(QPalette(blue));
        auto* canvas = new AnnotationCanvas(&screenshot);
        canvas->resize(240, 160);
        // What the screen shows against the marks drawn directly.
        const auto showsTheMarks = [&] {
            const QImage direct = render(canvas->annotations(), screenshot.size(), blue, true);
            return differingPixels(screenshot.grab().toImage(), direct) == 0;
        };
        // Drawn with the mouse one by one, the screen shown after each: the layer grows by one.
        const QList<std::tuple<Tool, QPoint, QPoint>> strokes{
            {Tool::highlight, {24, 16}, {144, 112}},
            {Tool::square, {48, 32}, {120, 144}},
            {Tool::highlight, {96, 48}, {216, 128}},
            {Tool::arrow, {216, 16}, {72, 96}}};
        for (const auto& [tool, from, to] : strokes) {
            canvas->setActiveTool(tool);
            drag(canvas, from, to);
            QVERIFY(showsTheMarks());
        }
        QCOMPARE(canvas->annotations().size(), 4);
        canvas->undo();
        QVERIFY(showsTheMarks());
        // A layer kept for the old size is not stretched over the new one.
        canvas->resize(120, 80);
        screenshot.resize(120, 80);
        QVERIFY(showsTheMarks());
    }

    void toolCursorsAreDrawn()
    {
        for (const Tool tool : allAnnotationTools) {
            const QImage glyph =
                toolCursorPixmap(tool).toImage().convertToFormat(QImage::Format_ARGB32);
            QCOMPARE(glyph.size(), QSize(32, 32));
            QCOMPARE(toolCursor(tool).hotSpot(), toolCursorHotSpot(tool));
            int light = 0;
            int shadow = 0;
            int yellow = 0;
            for (int y = 0; y < 32; ++y) {
                for (int x = 0; x < 32; ++x) {
                    const QRgb p = glyph.pixel(x, y);
                    if (qAlpha(p) > 200 && qRed(p) > 200 && qGreen(p) > 180)
                        ++light;
                    else if (qAlpha(p) > 20 && qGray(p) < 60)
                        ++shadow;
                    yellow += qAlpha(p) == 255 && qRed(p) > 240 && qBlue(p) < 40 ? 1 : 0;
                }
            }
            QVERIFY2(light > 20 && shadow > 10, qPrintable(QString::number(int(tool))));
            QCOMPARE(yellow > 0, tool == Tool::highlight);
        }
        QCOMPARE(toolCursorHotSpot(Tool::pencil), QPoint(4, 28));
        QCOMPARE(toolCursorHotSpot(Tool::arrow), QPoint(26, 6));
    }

    void readingOrder_data()
    {
        columns<QList<RecognizedLine>, QString>({"lines", "text"});
        const auto line = [](QRectF box, const char* text) {
            return RecognizedLine{box, QString::fromLatin1(text)};
        };
        QTest::newRow("bottom edges within 1 %: one row")
            << QList{fromBottomLeft(0.5, 0.800, 0.3, 0.004, "right"),
                     fromBottomLeft(0.1, 0.805, 0.3, 0.004, "left")}
            << QStringLiteral("left\nright");
        QTest::newRow("rows top to bottom whatever their left edges")
            << QList{fromBottomLeft(0.1, 0.7, 0.3, 0.05, "lower"),
                     fromBottomLeft(0.6, 0.8, 0.3, 0.05, "higher")}
            << QStringLiteral("higher\nlower");
        // A button row 40 px high: "Apply" hangs 4 px lower than "OK" because of its descenders.
        const double button = 1.0 / 40;
        QTest::newRow("overlapping lines share a row despite descenders")
            << QList{line({0.6, 14 * button, 0.1, 10 * button}, "OK"),
                     line({0.2, 14 * button, 0.2, 14 * button}, "Apply"),
                     line({0.8, 14 * button, 0.15, 10 * button}, "Cancel")}
            << QStringLiteral("Apply\nOK\nCancel");
        // Tight line spacing: the descenders of one line reach into the ascenders of the next.
        const double px = 1.0 / 100;
        QTest::newRow("stacked lines of a paragraph stay separate rows")
            << QList{line({0.0, 30 * px, 0.9, 16 * px}, "third"),
                     line({0.3, 16 * px, 0.5, 16 * px}, "second"),
                     line({0.1, 2 * px, 0.8, 16 * px}, "first")}
            << QStringLiteral("first\nsecond\nthird");
        // Each line is within 1 % of the one before, but not of the first: two rows, not one.
        QTest::newRow("rows do not chain down a page")
            << QList{fromBottomLeft(0.9, 0.800, 0.05, 0.002, "a"),
                     fromBottomLeft(0.5, 0.794, 0.05, 0.002, "b"),
                     fromBottomLeft(0.1, 0.788, 0.05, 0.002, "c")}
            << QStringLiteral("b\na\nc");
        // 0.02 - 0.01 is exactly 0.01 in binary too.
        QTest::newRow("bottom edges exactly 1 % apart: two rows")
            << QList{line({0.1, 0.01, 0.3, 0.01}, "lower"), line({0.6, 0.0, 0.3, 0.01}, "upper")}
            << QStringLiteral("upper\nlower");
        QTest::newRow("a line without height shares no row")
            << QList{line({0.1, 0.1, 0.3, 0.1}, "tall"), line({0.5, 0.15, 0.3, 0}, "flat")}
            << QStringLiteral("flat\ntall");
        // Lines without text are skipped; a line read as empty is still a line.
        const QRectF box(0.1, 0.1, 0.2, 0.05);
        QTest::newRow("equal lines keep their order")
            << QList{line(box, "one"), RecognizedLine{box, std::nullopt}, line(box, "two"),
                     line(box, "")}
            << QStringLiteral("one\ntwo\n");
        QTest::newRow("nothing") << QList{RecognizedLine{box, std::nullopt}} << QString();
    }

    void readingOrder()
    {
        const auto [lines, text] = fetch<QList<RecognizedLine>, QString>({"lines", "text"});
        QCOMPARE(joinLines(orderLines(lines)), text);
    }

    void preview_data()
    {
        columns<QString, QString>({"text", "expected"});
        const QString a200(200, QLatin1Char('a'));
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("200 characters, whole") << a200 << a200;
        // "e" + combining acute, and a flag (four UTF-16 units), are one character each.
        const QString accented = QStringLiteral("e\u0301");
        const QString flag = QStringLiteral("\U0001F1E9\U0001F1EA");
        QTest::newRow("200 composed characters, whole")
            << accented.repeated(200) << accented.repeated(200);
        QTest::newRow("201 flags, cut after 200")
            << flag.repeated(201) << flag.repeated(200) + QStringLiteral("...");
        QTest::newRow("never splits a character")
            << QString(199, QLatin1Char('a')) + accented + QStringLiteral("z")
            << QString(199, QLatin1Char('a')) + accented + QStringLiteral("...");
    }

    void preview()
    {
        const auto [text, expected] = fetch<QString, QString>({"text", "expected"});
        QCOMPARE(previewText(text), expected);
    }

    void cropRect_data()
    {
        columns<QRectF, QSizeF, QSize, QRect>({"region", "points", "pixels", "expected"});
        const auto row = [](const char* name, QRectF region, QSizeF points, QSize pixels,
                            QRect crop) {
            QTest::newRow(name) << region << points << pixels << crop;
        };
        // (10, 230) from the top of a 300-point image is (10, 20) from its bottom.
        row("2x bitmap", {10, 230, 100, 50}, {400, 300}, {800, 600}, {20, 460, 200, 100});
        row("fractional region", {0.5, 0.5, 2, 2}, {10, 10}, {10, 10}, {0, 0, 3, 3});
        row("clipped at the far edges", {350, 250, 100, 100}, {400, 300}, {800, 600},
            {700, 500, 100, 100});
        row("clipped at the near edges", {-10, -10, 20, 20}, {400, 300}, {400, 300},
            {0, 0, 10, 10});
        row("dragged backwards", {110, 280, -100, -50}, {400, 300}, {800, 600},
            {20, 460, 200, 100});
        row("off the image", {500, 10, 50, 50}, {400, 300}, {400, 300}, {});
        row("far off the image", {-1e12, -1e12, 10, 10}, {400, 300}, {400, 300}, {});
        row("a hair wide", {10, 10, 1e-7, 50}, {400, 300}, {400, 300}, {});
        row("empty image", {0, 0, 10, 10}, {0, 0}, {0, 0}, {});
    }

    void cropRect()
    {
        const auto [region, points, pixels, expected] =
            fetch<QRectF, QSizeF, QSize, QRect>({"region", "points", "pixels", "expected"});
        QCOMPARE(cropRectForRegion(region, points, pixels), expected);
    }

    void regionsMapToImagePointsAndWithoutPixelsReadAsEmptyText()
    {
        // A 100 x 100 picture drawn 200 x 200 from (50, 20), away from the view's corner.
        QCOMPARE(viewRectToImagePoints({60, 30, 100, 100}, {50, 20, 200, 200}, {100, 100}),
                 QRectF(5, 5, 50, 50));
        QCOMPARE(viewRectToImagePoints({0, 0, 10, 10}, {}, {100, 100}), QRectF());
        FakeTextRecognizer recognizer;
        recognizer.lines = {{QRectF(0, 0, 1, 1), QStringLiteral("never read")}};
        const TextRecognitionOutcome offImage =
            recognizeText(recognizer, positionPicture({200, 100}), QRectF(300, 10, 50, 50));
        QVERIFY(!offImage.error);
        QCOMPARE(offImage.text, QString());
        QCOMPARE(recognizeText(recognizer, QImage(), std::nullopt).text, QString());
        QVERIFY(recognizer.receivedImages().isEmpty());
    }

    void idleReleaseWaitsForTheLastRecognition()
    {
        FakeTextRecognizer recognizer;
        // Margins of several hundred milliseconds: a loaded machine must not make it flake.
        releaseWhenIdle(recognizer, 1000);
        QTest::qWait(600);
        // Another recognition meanwhile starts the wait afresh: past the first deadline, nothing.
        releaseWhenIdle(recognizer, 1000);
        QTest::qWait(600);
        QCOMPARE(recognizer.releases.load(), 0);
        QTRY_COMPARE(recognizer.releases.load(), 1);
        // Once: the wait does not start over by itself.
        QTest::qWait(1200);
        QCOMPARE(recognizer.releases.load(), 1);
    }

    void smallSelectionsCancelSilently_data()
    {
        columns<QPoint, QPoint, bool>({"from", "to", "reads"});
        QTest::newRow("9 x 200") << QPoint(50, 50) << QPoint(59, 250) << false;
        QTest::newRow("200 x 9") << QPoint(50, 50) << QPoint(250, 59) << false;
        QTest::newRow("10 x 10, dragged up and left") << QPoint(60, 60) << QPoint(50, 50) << true;
    }

    void smallSelectionsCancelSilently()
    {
        const auto [from, to, reads] = fetch<QPoint, QPoint, bool>({"from", "to", "reads"});
        Selection s;
        drag(s.view, from, to);
        QVERIFY(!s.view->isDragging());
        QTRY_COMPARE(s.completions, 1);
        QTest::qWait(50);
        const auto read = s.platform.textRecognizer.receivedImages();
        QCOMPARE(read.size(), reads ? 1 : 0);
        QVERIFY(!reads || read.first().size() == QSize(10, 10));
        QCOMPARE(s.platform.alerts.shown.size(), reads ? 1 : 0); // "No Text Found"
    }

    void escapeCancelsSilently()
    {
        Selection s;
        QTest::keyClick(s.view, Qt::Key_Escape);
        QCOMPARE(s.completions, 1);
        // While selecting, too; the rectangle shown follows the pointer until then.
        QTest::mousePress(s.view, Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
        QTest::mouseMove(s.view, QPoint(120, 70));
        QCOMPARE(s.view->selectionRect(), QRectF(20, 20, 100, 50));
        QTest::keyClick(s.view, Qt::Key_Escape);
        QCOMPARE(s.completions, 2);
        QVERIFY(s.platform.alerts.shown.isEmpty());
        QCOMPARE(s.platform.clipboard.writes, 0);
    }

    void outcomeIsReportedWithTheFloatingPanelsLowered_data()
    {
        columns<QString, QString, QString>({"text", "failure", "alert"});
        const QString text = QStringLiteral("Apply\nOK\n") + QString(230, QLatin1Char('x'));
        QTest::newRow("text, with a short preview")
            << text << QString()
            << QStringLiteral("Text Copied to Clipboard!: ") + text.left(200) +
                   QStringLiteral("...");
        QTest::newRow("nothing read")
            << QString() << QString()
            << QStringLiteral("No Text Found: No text found in selected area.");
        QTest::newRow("failure") << QString() << QStringLiteral("eng.traineddata is not installed")
                                 << QStringLiteral(
                                        "! OCR Failed: eng.traineddata is not installed");
    }

    void outcomeIsReportedWithTheFloatingPanelsLowered()
    {
        const auto [text, failure, alert] =
            fetch<QString, QString, QString>({"text", "failure", "alert"});
        Selection s;
        showRecognitionOutcome({text, failure.isEmpty() ? std::nullopt : std::optional(failure)},
                               s.services());
        // The whole text goes to the clipboard; only the alert shortens it.
        QCOMPARE(s.platform.clipboard.text, text);
        QCOMPARE(s.platform.clipboard.writes, text.isEmpty() ? 0 : 1);
        QCOMPARE(alertTexts(s.platform.alerts), QStringList{alert});
        QCOMPARE(s.loweredDuringAlert, 1);

        QCOMPARE(s.lowered, 0);
    }

    void reportArrivesAfterTheViewIsGone()
    {
        GatedRecognizer recognizer;
        recognizer.lines = {{QRectF(0.1, 0.1, 0.5, 0.2), QStringLiteral("still here")}};
        Selection s(&recognizer);
        // The owner removes the view when told the selection is over.
        s.view->onComplete = [&s] {
            ++s.completions;
            if (s.view)
                s.view->deleteLater();
        };
        drag(s.view, {20, 20}, {200, 200});
        QTest::keyClick(s.view, Qt::Key_Escape);
        QCOMPARE(s.completions, 1);
        QTRY_VERIFY(!s.view);
        recognizer.gate.release();
        QTRY_COMPARE(s.completions, 2);
        QCOMPARE(s.platform.clipboard.text, QStringLiteral("still here"));
        QCOMPARE(s.platform.alerts.shown.size(), 1);
        QCOMPARE(s.loweredDuringAlert, 1);
    }

    void coversEveryScreenOnceWithTheKeyUnderThePointer_data()
    {
        columns<QPoint, int>({"pointer", "key"});
        QTest::newRow("first column of R") << QPoint(1920, 0) << 1;
        QTest::newRow("on no screen") << QPoint(2000, 900) << 0;
    }

    void coversEveryScreenOnceWithTheKeyUnderThePointer()
    {
        const auto [pointer, key] = fetch<QPoint, int>({"pointer", "key"});
        CaptureFixture f;
        f.platform.screens.cursor = pointer;
        f.manager->startCapture();
        QCOMPARE(f.platform.windows.grabbedWindow.data(), f.window(key)->windowHandle());
        QCOMPARE(f.manager->selectionWindows().size(), 2U);
        QCOMPARE(f.window(0)->geometry(), QRect(0, 0, 1920, 1080));
        QCOMPARE(f.window(1)->geometry(), QRect(1920, 0, 640, 512));
        QVERIFY(f.window(0)->isVisible() && f.window(1)->isVisible());
        QVERIFY(f.window(0)->windowFlags().testFlag(Qt::X11BypassWindowManagerHint));

        f.manager->startCapture();
        QCOMPARE(f.manager->selectionWindows().size(), 2U);
        QCOMPARE(f.platform.windows.grabCount, 1);
        // The drawn crosshair is made current at once and three more times shortly after.
        QTRY_COMPARE(f.platform.cursor.history.count(Qt::BitmapCursor), 4);
    }

    // Without access or a screen nothing shows; Escape, a tiny drag or new screens end it.
    void nothingShowsWithoutAccessOrStaysAfterACancel()
    {
        CaptureFixture f;
        f.platform.permission.granted = false;
        f.manager->startCapture();
        QVERIFY(f.idle());
        QCOMPARE(f.permissionRequests, 1);
        QVERIFY(f.platform.capture.requests.isEmpty());
        // With access but no screen at all: a log line, and nothing is left selecting.
        f.platform.permission.granted = true;
        f.platform.screens.screenList.clear();
        QTest::ignoreMessage(QtCriticalMsg, "There is no screen to capture");
        f.manager->startCapture();
        QVERIFY(f.idle());

        // Escape closes every window and gives the input back.
        f.platform.screens.screenList = twoScreens();
        f.manager->startCapture();
        QPointer<SelectionOverlayWindow> first = f.window(0);
        QPointer<SelectionOverlayWindow> second = f.window(1);
        QTest::keyClick(f.window(1)->view(), Qt::Key_Escape);
        QVERIFY(f.idle());
        QVERIFY(!f.platform.windows.grabbedWindow);
        QVERIFY(!f.platform.cursor.overriding);
        QTRY_VERIFY(!first && !second);

        // A too-small drag cancels the same way, and nothing is captured afterwards.
        f.manager->startCapture();
        drag(f.window(0)->view(), {10, 10}, {14, 110});
        QVERIFY(!f.manager->isSelecting());
        QTest::qWait(ScreenCaptureManager::captureDelayMs + 50);
        QVERIFY(f.overlays.overlays().isEmpty());

        // So do screens changing; a new selection covers the screens there are now.
        f.manager->startCapture();
        f.platform.screens.changeScreens({twoScreens().first()});
        QVERIFY(f.idle());
        f.manager->startCapture();
        QCOMPARE(f.manager->selectionWindows().size(), 1U);
    }

    void completedSelectionFloatsTheCroppedPixels_data()
    {
        // dragged: in the screen's window; origin: of the crop in the screen's pixels;
        // xwayland: the screen at 1x, the compositor's picture at 2x.
        columns<int, QRect, QRectF, QPoint, bool>(
            {"screen", "dragged", "captured", "origin", "xwayland"});
        QTest::newRow("scale 1") << 0 << QRect(300, 200, 400, 300) << QRectF(300, 200, 400, 300)
                                 << QPoint(300, 200) << false;
        QTest::newRow("scale 2, at full density")
            << 1 << QRect(10, 20, 100, 50) << QRectF(1930, 20, 100, 50) << QPoint(20, 40) << false;
        QTest::newRow("scale 2 shown at 1x, the compositor's density")
            << 1 << QRect(10, 20, 100, 50) << QRectF(1930, 20, 100, 50) << QPoint(20, 40) << true;
    }

    void completedSelectionFloatsTheCroppedPixels()
    {
        const auto [screen, dragged, captured, origin, xwayland] =
            fetch<int, QRect, QRectF, QPoint, bool>(
                {"screen", "dragged", "captured", "origin", "xwayland"});
        CaptureFixture f;
        if (xwayland) {
            ScreenInfo& shown = f.platform.screens.screenList[screen];
            shown.devicePixelRatio = 1.0;
            shown.nativeGeometry = shown.geometry;
            f.platform.capture.scale = 2.0;
        }
        f.manager->startCapture();
        drag(f.window(screen)->view(), dragged.topLeft(),
             dragged.topLeft() + QPoint(dragged.width(), dragged.height()));
        // The windows are gone before anything is read, and the read waits.
        QVERIFY(f.manager->selectionWindows().empty());
        QVERIFY(f.platform.capture.requests.isEmpty());
        QTRY_COMPARE(f.overlays.overlays().size(), 1);
        const ScreenshotOverlayPanel* panel = f.overlays.overlays().first();
        QCOMPARE(panel->captureRect(), captured);
        QCOMPARE(panel->geometry(), captured.toRect());
        const QImage& image = panel->screenshotImage();
        const int ratio = screen + 1;
        QCOMPARE(image.size(), dragged.size() * ratio);
        QCOMPARE(image.devicePixelRatio(), qreal(ratio));
        for (const QPoint p :
             {QPoint(0, 0), QPoint(image.width() - 1, image.height() - 1), QPoint(13, 45)})
            QCOMPARE(image.pixel(p),
                     f.platform.capture.pixelAt(origin.x() + p.x(), origin.y() + p.y()));
        QCOMPARE(f.platform.capture.requests.last().name, twoScreens().at(screen).name);
    }

    void unreadableCapturesFloatNothing_data()
    {
        // alert: said with the floating screenshots lowered.
        columns<QString, QStringList, QString>({"how", "logged", "alert"});
        const QString nil = QStringLiteral("Capture returned nil image");
        // A refusal asks for access instead of failing.
        QTest::newRow("refused") << QStringLiteral("refuse")
                                 << QStringList{QStringLiteral(
                                        "The desktop refused to give the screen's picture")}
                                 << QString();
        QTest::newRow("nothing read") << QStringLiteral("nothing") << QStringList{nil} << QString();
        // Entirely left of the screen whose display is read.
        QTest::newRow("crop yields nothing")
            << QStringLiteral("crop") << QStringList{QStringLiteral("Failed to crop image"), nil}
            << QString();
        const QStringList noDisplay{QStringLiteral("Could not find matching display"), nil};
        QTest::newRow("screen gone during the wait")
            << QStringLiteral("gone") << noDisplay << QString();
        QTest::newRow("screen rescaled during the wait")
            << QStringLiteral("rescaled") << noDisplay << QString();
        const QString error = QStringLiteral("The display could not be read (X error 8).");
        QTest::newRow("failed") << QStringLiteral("fail")
                                << QStringList{QStringLiteral("Screen capture failed: ") + error}
                                << QStringLiteral("! Screenshot Failed: ") + error;
    }

    void unreadableCapturesFloatNothing()
    {
        auto [how, logged, alert] =
            fetch<QString, QStringList, QString>({"how", "logged", "alert"});
        LogCapture log;
        CaptureFixture f;
        const QImage image = filledPicture({10, 10}, Qt::green);
        ScreenshotOverlayPanel* a = f.overlays.createOverlay(image, {0, 0, 10, 10});
        ScreenshotOverlayPanel* b = f.overlays.createOverlay(image, {20, 0, 10, 10});
        f.platform.alerts.whileShown = [&](const Alert&) {
            QCOMPARE((QList{a->level(), b->level()}), QList<WindowLevel>(2, WindowLevel::Normal));
        };
        f.platform.capture.refuse = how == QStringLiteral("refuse");
        f.platform.capture.returnNothing = how == QStringLiteral("nothing");
        if (how == QStringLiteral("fail"))
            f.platform.capture.failWith =
                QStringLiteral("The display could not be read (X error 8).");
        if (how == QStringLiteral("gone") || how == QStringLiteral("rescaled")) {
            f.manager->startCapture();
            drag(f.window(1)->view(), {10, 20}, {110, 70});
            QList<ScreenInfo> now = twoScreens();
            if (how == QStringLiteral("gone"))
                now.removeLast();
            else
                now.last().devicePixelRatio = 1.0;
            f.platform.screens.changeScreens(now);
            QTest::qWait(ScreenCaptureManager::captureDelayMs + 100);
            QVERIFY(f.platform.capture.requests.isEmpty());
        } else {
            f.manager->captureRegion(how == QStringLiteral("crop") ? QRectF(-500, 10, 100, 100)
                                                                   : QRectF(0, 0, 50, 50),
                                     twoScreens().first());
        }
        QCOMPARE(f.permissionRequests, how == QStringLiteral("refuse") ? 1 : 0);
        QCOMPARE(f.overlays.overlays(), (QList{a, b}));
        QCOMPARE((QList{a->level(), b->level()}), QList<WindowLevel>(2, WindowLevel::Floating));
        QCOMPARE(alertTexts(f.platform.alerts),
                 alert.isEmpty() ? QStringList() : QStringList{alert});
        for (QString& line : logged)
            line.prepend(QStringLiteral("vellumbox.ScreenCapture: "));
        QCOMPARE(log.lines(), logged);
    }

    void withoutCompositorTheWindowsPaintTheScreen()
    {
        LogCapture log;
        CaptureFixture f;
        f.platform.windows.compositing = false;
        f.manager->startCapture();
        QCOMPARE(f.platform.capture.requests.size(), 2);
        QVERIFY(!f.window(0)->testAttribute(Qt::WA_TranslucentBackground));
        const QImage shown = f.window(0)->view()->grab(QRect(0, 0, 4, 4)).toImage();
        const QRgb screen = f.platform.capture.pixelAt(3, 3);
        QVERIFY(qAbs(qRed(shown.pixel(3, 3)) - qRed(screen) * 7 / 10) <= 2);
        QVERIFY(log.lines().isEmpty());
        // A screen that cannot be read is logged, and the selection opens all the same.
        f.manager->closeSelectionWindows();
        f.platform.capture.failWith = QStringLiteral("no picture");
        f.manager->startCapture();
        QCOMPARE(f.manager->selectionWindows().size(), 2U);
        QCOMPARE(
            log.lines().count(QStringLiteral("vellumbox.ScreenCapture: Could not read the screen "
                                             "behind the selection: no picture")),
            2);

        f.manager->closeSelectionWindows();
        f.platform.windows.compositing = true;
        f.platform.capture.requests.clear();
        f.manager->startCapture();
        QVERIFY(f.platform.capture.requests.isEmpty());
        QVERIFY(f.window(0)->testAttribute(Qt::WA_TranslucentBackground));
    }

    void newSelectionDuringTheWaitKeepsTheEarlierCapture()
    {
        CaptureFixture f;
        f.manager->startCapture();
        // QTest reads a null point as the widget's centre: start at (1, 1).
        drag(f.window(0)->view(), {1, 1}, {51, 51});
        f.manager->startCapture();
        QTRY_COMPARE(f.overlays.overlays().size(), 1);
        QCOMPARE(f.overlays.overlays().first()->captureRect(), QRectF(1, 1, 50, 50));
        QVERIFY(f.manager->isSelecting());
        drag(f.window(0)->view(), {100, 100}, {160, 130});
        QTRY_COMPARE(f.overlays.overlays().size(), 2);
        QCOMPARE(f.overlays.overlays().last()->captureRect(), QRectF(100, 100, 60, 30));
    }

    void dragGivesTheRectangleOrCancels_data()
    {
        // completed: null when cancelled.
        columns<QPoint, QPoint, QRectF>({"from", "to", "completed"});
        QTest::newRow("5 x 5 completes")
            << QPoint(10, 10) << QPoint(15, 15) << QRectF(10, 10, 5, 5);
        QTest::newRow("4 x 100 cancels") << QPoint(10, 10) << QPoint(14, 110) << QRectF();
        QTest::newRow("100 x 4 cancels") << QPoint(10, 10) << QPoint(110, 14) << QRectF();
        QTest::newRow("up and left")
            << QPoint(120, 80) << QPoint(20, 30) << QRectF(20, 30, 100, 50);
        QTest::newRow("down and left")
            << QPoint(120, 30) << QPoint(20, 80) << QRectF(20, 30, 100, 50);
        QTest::newRow("leaving the screen is clamped")
            << QPoint(350, 250) << QPoint(900, -200) << QRectF(350, 0, 50, 250);
    }

    void dragGivesTheRectangleOrCancels()
    {
        const auto [from, to, completed] =
            fetch<QPoint, QPoint, QRectF>({"from", "to", "completed"});
        DragSelection s;
        drag(&s.view, from, to);
        QCOMPARE(s.completed, completed.isNull() ? QList<QRectF>() : QList<QRectF>{completed});
        QCOMPARE(s.cancelled, completed.isNull() ? 1 : 0);
        QVERIFY(!s.view.isDragging());
        QVERIFY(!s.view.currentSelection());
    }

    void dimsAllButTheSelectionUntilEscapeCancelsIt()
    {
        DragSelection s(filledPicture({400, 300}, qRgb(200, 100, 50)));
        const QRgb dimmed = qRgb(140, 70, 35); // 70 % of the picture under black at 0.3
        QVERIFY(near(s.view.grab().toImage().pixel(200, 150), dimmed));
        QTest::mousePress(&s.view, Qt::LeftButton, Qt::NoModifier, {100, 100});
        QTest::mouseMove(&s.view, {200, 180});
        QCOMPARE(s.view.currentSelection(), QRectF(100, 100, 100, 80));
        const QImage during = s.view.grab().toImage();
        QVERIFY(near(during.pixel(150, 140), qRgb(200, 100, 50))); // inside: the screen as it is
        QVERIFY(near(during.pixel(50, 50), dimmed) && near(during.pixel(250, 140), dimmed));
        // The 2-point border straddles the edge: one pixel inside, one outside.
        for (int x = 98; x <= 101; ++x)
            QCOMPARE(during.pixel(x, 140) == systemBlue().rgb(), x == 99 || x == 100);

        QTest::keyClick(&s.view, Qt::Key_Escape);
        QCOMPARE(s.cancelled, 1);
        QVERIFY(!s.view.currentSelection());
        QVERIFY(near(s.view.grab().toImage().pixel(150, 140), dimmed));
        // The release that follows finds no drag: another cancellation, never a completion.
        QTest::mouseRelease(&s.view, Qt::LeftButton, Qt::NoModifier, {200, 180});
        QVERIFY(s.completed.isEmpty());
        QCOMPARE(s.cancelled, 2);
        // A window nobody listens to yet has nothing to report to.
        SelectionOverlayWindow window(twoScreens().last(), {}, false);
        drag(window.view(), {10, 10}, {50, 50});
    }

    // The display examples, with each screen given in Qt's y-down desktop: a screen above the
    // primary one has a negative y, and a rectangle's y is its top edge.
    void screenCropRect_data()
    {
        columns<qreal, QRectF, QRectF, QRect>({"scale", "screen", "rect", "crop"});

        // Primary 1440 x 900 at 2x; the rectangle's top is 900 - 200.5 - 150.25 = 549.25.
        QTest::newRow("retina, half pixels round away from zero")
            << 2.0 << QRectF(0, 0, 1440, 900) << QRectF(100.25, 549.25, 300.5, 150.25)
            << QRect(201, 1099, 601, 301);
        // A 1080-high screen to the left of a 1080-high primary.
        QTest::newRow("screen left of the primary")
            << 1.0 << QRectF(-1920, 0, 1920, 1080) << QRectF(-1500, 580, 400, 200)
            << QRect(420, 580, 400, 200);
        // A 1280 x 800 screen standing on top of a 900-high primary.
        QTest::newRow("screen above the primary")
            << 2.0 << QRectF(0, -800, 1280, 800) << QRectF(50, -150, 200, 100)
            << QRect(100, 1300, 400, 200);
        QTest::newRow("negative half rounds away from zero")
            << 1.5 << QRectF(0, 0, 100, 100) << QRectF(-1, 1, 3, 5) << QRect(-2, 2, 5, 8);
    }

    void screenCropRect()
    {
        const auto [scale, screen, rect, crop] =
            fetch<qreal, QRectF, QRectF, QRect>({"scale", "screen", "rect", "crop"});
        QCOMPARE(pixelCropRect(rect, screen, scale), crop);
    }

    void pointsSnapToWholePointsOnTheirScreen()
    {
        QCOMPARE(snapToLogicalPixel({10.5, 20.49}), QPointF(11, 20));
        QCOMPARE(snapToLogicalPixel({-0.5, 3.0}), QPointF(-1, 3));
        const QList<QRect> screens{{0, 0, 1920, 1080}, {1920, 0, 640, 512}};
        QCOMPARE(screenIndexAt(screens, {1919, 1079}), 0);
        QCOMPARE(screenIndexAt(screens, {2559, 511}), 1);
        QCOMPARE(screenIndexAt(screens, {-1, 5}), -1);
        QCOMPARE(screenIndexAt({}, {0, 0}), -1);
    }

    void crosshairLeavesAGapAroundTheHotSpot()
    {
        const QImage image =
            selectionCrosshairPixmap().toImage().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(image.size(), QSize(32, 32));
        QCOMPARE(selectionCrosshairCursor().hotSpot(), QPoint(16, 16));
        const auto alpha = [&image](QPoint p) { return qAlpha(image.pixel(p)); };
        // The hot spot and the gap round it are clear, and so is all beyond the arms' round
        // ends; those ends reach the gap's edge and the arms' tips.
        for (const QPoint p : {QPoint(15, 15), QPoint(16, 16), QPoint(15, 16), QPoint(16, 15),
                               QPoint(16, 3), QPoint(29, 16), QPoint(0, 0)})
            QCOMPARE(alpha(p), 0);
        for (const QPoint p :
             {QPoint(14, 16), QPoint(17, 16), QPoint(16, 14), QPoint(16, 17), QPoint(16, 6)})
            QVERIFY(alpha(p) > 0);
        // Each of the four arms is opaque and dark along its middle...
        for (const QPoint p : {QPoint(16, 9), QPoint(9, 16), QPoint(22, 16), QPoint(16, 22)}) {
            QCOMPARE(alpha(p), 255);
            QVERIFY2(qGray(image.pixel(p)) < 110,
                     qPrintable(QString::number(qGray(image.pixel(p)))));
        }
        // ...inside a white edge that shows it on dark screens.
        QCOMPARE(qGray(image.pixel(14, 9)), 255);
        QCOMPARE(qGray(image.pixel(17, 9)), 255);
        QVERIFY(alpha({14, 9}) > 100);
    }
};

QTEST_MAIN(TestOverlay)
#include "tst_overlay.moc"
