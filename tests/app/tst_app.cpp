// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AboutWindow.h"
#include "app/AppDelegate.h"
#include "app/HotkeyManager.h"
#include "app/LogoSvg.h"
#include "app/OnboardingWindowController.h"
#include "app/SessionType.h"
#include "app/StatusBarController.h"
#include "app/Translations.h"
#include "app/VellumboxLogoView.h"
#include "ocr/OCRSelectionView.h"
#include "overlay/OverlayManager.h"
#include "overlay/ScreenshotMenu.h"
#include "support/UiSupport.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTranslator>
#include <QXmlStreamReader>

#include <algorithm>

using namespace Qt::StringLiterals;
using namespace vellumbox;
using namespace vellumbox::fakes;
using namespace vellumbox::testing;

namespace {

using Environment = QMap<QByteArray, QByteArray>;

// Every item of a menu and its submenus, "-" for separators, submenus as "title>".
QStringList items(const QMenu& menu)
{
    QStringList out;
    for (const QAction* action : menu.actions()) {
        out.append(action->isSeparator() ? u"-"_s : action->text());
        if (action->menu())
            out += items(*action->menu())
                       .replaceInStrings(QRegularExpression(u"^"_s),
                                         action->text() + QLatin1Char('>'));
    }
    return out;
}

std::unique_ptr<QMenu> contextMenu()
{
    return buildScreenshotMenu({false, true, 1.0, {}}, {});
}

AppDelegate::Services appServices(FakePlatform& p)
{
    return {p.settings, p.alerts, p.loginItems, p.permission, p.shortcuts};
}

const QString loginPrompt = u"Start at Login?"_s;

int promptsShown(const FakeAlertPresenter& alerts)
{
    return static_cast<int>(std::ranges::count(alerts.shown, loginPrompt, &Alert::message));
}

// The application on fakes, launched unless told otherwise.
struct Launch {
    FakePlatform& platform;
    FakeGlobalHotkey hotkey;
    OverlayManager overlays{testing::overlayServices(platform)};
    int captures = 0;
    AppDelegate delegate{appServices(platform), hotkey, overlays, [this] { ++captures; }};

    explicit Launch(FakePlatform& p, bool launched = true)
        : platform(p)
    {
        if (launched)
            delegate.applicationDidFinishLaunching();
    }
    OnboardingWindowController* onboarding() const { return delegate.onboardingController(); }
};

} // namespace

// The application: its translations, its tray menu and icon, and its first and later launches.
class TestApp : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { qDeleteAll(qApp->findChildren<QTranslator*>()); }

    void languagesComeFromTheEnvironment_data()
    {
        columns<Environment, QStringList>({"environment", "languages"});
        QTest::newRow("nothing set") << Environment{} << QStringList{};
        QTest::newRow("LANGUAGE first, then the locale")
            << Environment{{"LANGUAGE", "de:fr"}, {"LANG", "en_US.UTF-8"}}
            << QStringList{"de", "fr", "en_US"};
        QTest::newRow("LC_ALL over LC_MESSAGES over LANG")
            << Environment{{"LC_ALL", "fr_FR.UTF-8@euro"}, {"LC_MESSAGES", "de_AT"}, {"LANG", "it"}}
            << QStringList{"fr_FR"};
        QTest::newRow("LC_MESSAGES over LANG")
            << Environment{{"LC_MESSAGES", "de_AT.UTF-8"}, {"LANG", "fr_FR"}}
            << QStringList{"de_AT"};
        QTest::newRow("C is English") << Environment{{"LANG", "C.UTF-8"}} << QStringList{"en"};
        QTest::newRow("empty and repeated entries")
            << Environment{{"LANGUAGE", ":de::de:"}, {"LANG", "de"}} << QStringList{"de"};
    }

    void languagesComeFromTheEnvironment()
    {
        const auto [environment, languages] =
            fetch<Environment, QStringList>({"environment", "languages"});
        QCOMPARE(preferredLanguages([&](const char* name) { return environment.value(name); }),
                 languages);
    }

    void firstTranslatedLanguageWins_data()
    {
        columns<QStringList, QString>({"wanted", "shown"});
        QTest::newRow("German") << QStringList{"de"} << "de";
        QTest::newRow("Austrian German falls back to German") << QStringList{"de_AT"} << "de";
        QTest::newRow("an untranslated language is passed over") << QStringList{"ja", "fr"} << "fr";
        QTest::newRow("English first stays English") << QStringList{"en_GB", "de"} << "en";
        QTest::newRow("nothing translated") << QStringList{"ja", "pt_BR"} << "en";
    }

    void firstTranslatedLanguageWins()
    {
        const auto [wanted, shown] = fetch<QStringList, QString>({"wanted", "shown"});
        QCOMPARE(installTranslations(*qApp, wanted, {QStringLiteral(VELLUMBOX_QM_DIR)}), shown);
        QCOMPARE(QCoreApplication::translate("ScreenshotMenu", "Close"),
                 shown == QLatin1String("de")   ? u"Schließen"_s
                 : shown == QLatin1String("fr") ? u"Fermer"_s
                                                : u"Close"_s);
    }

    void aDamagedFileLeavesEnglish()
    {
        QTemporaryDir folder;
        QFile damaged(folder.filePath(u"vellumbox_de.qm"_s));
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write("not a translation");
        damaged.close();
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"is damaged"_s));
        QCOMPARE(installTranslations(*qApp, {u"de"_s}, {folder.path()}), u"en"_s);
        QCOMPARE(contextMenu()->actions().first()->text(), u"Copy to Clipboard"_s);
    }

    void germanUserSeesGerman()
    {
        QCOMPARE(installTranslations(*qApp, {u"de"_s}, {QStringLiteral(VELLUMBOX_QM_DIR)}),
                 u"de"_s);
        FakePlatform platform;
        OverlayManager overlays(testing::overlayServices(platform));
        StatusBarController tray(overlays, [] {});
        QCOMPARE(
            items(*tray.menu()),
            (QStringList{"Bildschirmfoto aufnehmen", "-", "Alle Bildschirmfotos schließen", "-",
                         "Über Vellumbox", "Nach Aktualisierungen suchen …", "-", "Beenden"}));
        // Qt's own key names come with its translation.
        QCOMPARE(tray.menu()->actions().first()->shortcut().toString(QKeySequence::NativeText),
                 u"Strg+Umschalt+9"_s);
        const QStringList menu = items(*contextMenu());
        QCOMPARE(menu.first(), u"In die Zwischenablage kopieren"_s);
        QVERIFY(menu.contains(u"Größe ändern>100\u00a0% (Original)"_s));
        QVERIFY(menu.contains(u"Bearbeiten>Bearbeitungsmodus beenden"_s));
        AboutWindow about;
        QCOMPARE(about.windowTitle(), u"Über Vellumbox"_s);
        QVERIFY(AboutWindow::helpText().contains(u"Strg+C  In die Zwischenablage"_s));

        showRecognitionOutcome({{}, u"x"_s},
                               {platform.textRecognizer, platform.alerts, platform.clipboard, {}});
        QCOMPARE(platform.alerts.shown.value(0).message, u"Texterkennung fehlgeschlagen"_s);
    }

    // Menus carry no "&" in English; a translation that added one could clash with another.
    void everyTranslationIsCompleteAndKeepsItsPlaceholders()
    {
        const QStringList files =
            QDir(QStringLiteral(VELLUMBOX_TS_DIR)).entryList({u"vellumbox_*.ts"_s}, QDir::Files);
        QVERIFY(files.size() >= 2);
        const QRegularExpression placeholder(u"%\\d"_s);
        for (const QString& name : files) {
            QFile file(QStringLiteral(VELLUMBOX_TS_DIR "/") + name);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QXmlStreamReader ts(&file);
            QString source;
            int messages = 0;
            while (!ts.atEnd()) {
                if (ts.readNext() != QXmlStreamReader::StartElement)
                    continue;
                if (ts.name() == QLatin1String("source")) {
                    source = ts.readElementText();
                } else if (ts.name() == QLatin1String("translation")) {
                    const QString type = ts.attributes().value(QLatin1String("type")).toString();
                    const QString text = ts.readElementText();
                    const QByteArray where = (name + u": "_s + source).toUtf8();
                    ++messages;
                    QVERIFY2(type.isEmpty() && !text.isEmpty(), where.constData());
                    auto marks = [&](const QString& s) {
                        QStringList found;
                        for (const auto& m : placeholder.globalMatch(s))
                            found.append(m.captured());
                        found.sort();
                        return found;
                    };
                    QVERIFY2(marks(text) == marks(source), where.constData());
                    QVERIFY2(text.count(QLatin1Char('&')) == source.count(QLatin1Char('&')),
                             where.constData());
                }
            }
            QVERIFY2(!ts.hasError(), qPrintable(ts.errorString()));
            QVERIFY(messages > 100);
        }
    }

    void menuLowersTheScreenshotsAndAClickCaptures()
    {
        FakePlatform platform;
        OverlayManager overlays(testing::overlayServices(platform));
        const QImage image = testing::filledPicture({10, 10}, Qt::gray);
        ScreenshotOverlayPanel* a = overlays.createOverlay(image, {0, 0, 10, 10});
        ScreenshotOverlayPanel* b = overlays.createOverlay(image, {20, 0, 10, 10});
        const auto levels = [a, b] { return QList{a->level(), b->level()}; };
        int captures = 0;
        StatusBarController controller(overlays, [&captures] { ++captures; });
        Q_EMIT controller.menu()->aboutToShow();
        QCOMPARE(levels(), QList<WindowLevel>(2, WindowLevel::Normal));
        // Rebuilt on opening, not doubled.
        QStringList items;
        for (const QAction* action : controller.menu()->actions())
            items.append(action->isSeparator()
                             ? u"-"_s
                             : action->text() + QLatin1Char('|') + action->shortcut().toString());
        QCOMPARE(items, (QStringList{u"Take Screenshot|Ctrl+Shift+9"_s, u"-"_s,
                                     u"Close All Screenshots|"_s, u"-"_s, u"About Vellumbox|"_s,
                                     u"Check for Updates…|"_s, u"-"_s, u"Quit|Ctrl+Q"_s}));
        Q_EMIT controller.menu()->aboutToHide();
        QCOMPARE(levels(), QList<WindowLevel>(2, WindowLevel::Floating));
        // The item asks the updater, once per choice.
        int checks = 0;
        controller.onCheckForUpdates = [&checks] { ++checks; };
        controller.menu()->actions().at(5)->trigger();
        QCOMPARE((QList{checks, captures}), (QList{1, 0}));
        // A left click opens no menu: the capture follows from the event loop, no later.
        Q_EMIT controller.trayIcon()->activated(QSystemTrayIcon::Trigger);
        QCOMPARE(captures, 0);
        QCoreApplication::processEvents();
        QCOMPARE(captures, 1);
        Q_EMIT controller.trayIcon()->activated(QSystemTrayIcon::Context);
        QTRY_VERIFY(controller.menu()->isVisible()); // asked for by a host that draws none
        // The menu's item waits for the menu to be gone from the screen.
        controller.menu()->actions().at(0)->trigger();
        QTRY_COMPARE(captures, 2);
        QTest::qWait(StatusBarController::captureDelayMs * 4);
        QCOMPARE(captures, 2); // the right click captured nothing
    }

    void aboutIsOneWindowShowingAllOfItsHelp()
    {
        // A desktop's larger font, which the help's own size must not follow out of the window.
        const QFont original = QApplication::font();
        const auto restore = qScopeGuard([&original] { QApplication::setFont(original); });
        QApplication::setFont(QFont(u"DejaVu Sans"_s, 11));
        FakePlatform platform;
        OverlayManager overlays(testing::overlayServices(platform));
        StatusBarController controller(overlays, [] {});
        controller.menu()->actions().at(4)->trigger(); // About Vellumbox
        QPointer<AboutWindow> first = controller.aboutWindow();
        QVERIFY(first && first->isVisible());
        QCOMPARE(first->windowTitle(), u"About Vellumbox"_s);
        const QLabel* help = testing::childWithText<QLabel>(first, AboutWindow::helpText());
        QVERIFY(help);
        // Every line, wrapped or not, lies inside the label, and the label inside the window.
        const int needed = help->heightForWidth(help->width());
        QVERIFY2(needed <= help->height(),
                 qPrintable(u"%1 of %2 pixels"_s.arg(needed).arg(help->height())));
        QVERIFY(first->rect().contains(help->geometry()));
        controller.showAboutWindow();
        QCOMPARE(controller.aboutWindow(), first.data());
        first->close();
        QTRY_VERIFY(!first);
        QVERIFY(!controller.aboutWindow());
        controller.showAboutWindow();
        QVERIFY(controller.aboutWindow());
        controller.aboutWindow()->close();
    }

    void iconCardsStayInsideTheTile()
    {
        QXmlStreamReader svg(logoSvg());
        QList<QXmlStreamAttributes> rects;
        while (!svg.atEnd()) {
            if (svg.readNext() == QXmlStreamReader::StartElement && svg.name() == u"rect")
                rects.append(svg.attributes());
        }
        QVERIFY2(!svg.hasError(), qPrintable(svg.errorString()));
        QCOMPARE(rects.size(), 3);
        const auto value = [&rects](int i, const char* name) {
            return rects.at(i).value(QLatin1String(name));
        };
        // Each card with half its stroke on either side of its edges.
        const auto outline = [&value](int i) {
            const qreal half = value(i, "stroke-width").toDouble() / 2;
            return QRectF(value(i, "x").toDouble(), value(i, "y").toDouble(),
                          value(i, "width").toDouble(), value(i, "height").toDouble())
                .adjusted(-half, -half, half, half);
        };
        for (int i = 1; i < 3; ++i) {
            QVERIFY(value(i, "stroke-width").toDouble() > 0);
            QVERIFY(outline(0).contains(outline(i)));
        }
        QVERIFY(outline(1).intersects(outline(2)));
        // The front card is filled with the tile so that it hides the rear card's outline.
        QCOMPARE(value(2, "fill"), value(0, "fill"));
        QCOMPARE(value(1, "fill"), u"none");
    }

    void frontCardCoversTheRearOutlineOnlyWhenFilled()
    {
        const auto draw = [](std::optional<QColor> fill) {
            QImage image(80, 80, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            VellumboxLogoView::drawLogo(painter, QRectF(0, 0, 80, 80), Qt::blue, fill);
            return image;
        };
        // The rear card's left edge (x 29.2) where it runs inside the front card (y 36.4 to 43.6).
        const QPoint crossing(29, 40);
        QVERIFY(qAlpha(draw(std::nullopt).pixel(crossing)) > 60);
        QCOMPARE(draw(QColor(Qt::white)).pixel(crossing), qRgb(255, 255, 255));
        // The rear outline is drawn at half the stroke's alpha.
        QVERIFY(qAbs(qAlpha(draw(std::nullopt).pixel(29, 20)) - 128) <= 20);
    }

    void trayIconStrokesFollowTheDensity()
    {
        // Opaque rows across the front card's bottom edge (y 17.1 of 18 points), mid-card.
        const auto strokeRows = [](qreal ratio) {
            const QImage image = VellumboxLogoView::trayIcon()
                                     .pixmap(QSize(18, 18), ratio)
                                     .toImage()
                                     .convertToFormat(QImage::Format_ARGB32);
            int rows = 0;
            for (int y = 0; y < image.height(); ++y)
                rows +=
                    y > image.height() * 3 / 4 && qAlpha(image.pixel(qRound(6 * ratio), y)) > 128;
            return std::pair{image.size(), rows};
        };
        const auto [small, thin] = strokeRows(1.0);
        const auto [large, thick] = strokeRows(2.0);
        QCOMPARE(small, QSize(18, 18));
        QCOMPARE(large, QSize(36, 36));
        QVERIFY(thin >= 1);
        QVERIFY2(thick >= 2 * thin - 1,
                 qPrintable(u"%1 rows at 2x, %2 at 1x"_s.arg(thick).arg(thin)));
    }

    void hotkeyStartsACaptureAfterTheKeyEvent()
    {
        FakePlatform platform;
        Launch launch(platform);
        QVERIFY(launch.delegate.hotkeyManager()->isRegistered());
        QCOMPARE(launch.hotkey.registeredKey, '9');
        launch.hotkey.press();
        QCOMPARE(launch.captures, 0); // posted, not run inside the key handler
        QTRY_COMPARE(launch.captures, 1);
        launch.hotkey.press();
        launch.hotkey.press();
        QTRY_COMPARE(launch.captures, 3);
    }

    void refusedHotkeyLeavesTheProgramRunning()
    {
        FakePlatform platform;
        FakeGlobalHotkey hotkey;
        OverlayManager overlays(testing::overlayServices(platform));
        hotkey.refuse = true;
        QTest::ignoreMessage(QtCriticalMsg,
                             "Could not register the hot key Ctrl+Shift+9: it is held by another "
                             "application (BadAccess)");
        {
            AppDelegate delegate(appServices(platform), hotkey, overlays, [] {});
            delegate.applicationDidFinishLaunching();
            QVERIFY(!delegate.hotkeyManager()->isRegistered());
            // Destroying a manager whose registration failed unregisters nothing.
            hotkey.registeredKey = 'x';
        }
        QCOMPARE(hotkey.registeredKey, 'x');
    }

    void permissionMissingAsksThenAlerts_data()
    {
        columns<bool, int, int>({"grantOnRequest", "answer", "settingsOpened"});
        QTest::newRow("granted on request: no alert") << true << alertFirstButtonReturn << 0;
        QTest::newRow("Open Settings") << false << alertFirstButtonReturn << 1;
        QTest::newRow("Cancel") << false << alertFirstButtonReturn + 1 << 0;
    }

    void permissionMissingAsksThenAlerts()
    {
        const auto [grantOnRequest, answer, settingsOpened] =
            fetch<bool, int, int>({"grantOnRequest", "answer", "settingsOpened"});
        FakePlatform platform;
        platform.permission.granted = false;
        platform.permission.grantOnRequest = grantOnRequest;
        platform.alerts.answer = answer;
        Launch(platform, false).delegate.requestScreenRecordingPermission();
        QCOMPARE(platform.permission.requestCount, 1);
        QCOMPARE(platform.permission.openSettingsCount, settingsOpened);
        QCOMPARE(platform.alerts.shown.size(), grantOnRequest ? 0 : 1);
        if (grantOnRequest)
            return;
        const Alert& alert = platform.alerts.shown.first();
        QCOMPARE(alert.message, u"Screen Recording Permission Required"_s);
        QCOMPARE(alert.informativeText,
                 u"Vellumbox needs Screen Recording permission to capture "
                 "screenshots. Please grant access in your desktop's privacy "
                 "settings, then relaunch the app."_s);
        QCOMPARE(alert.buttons, (QStringList{u"Open Settings"_s, u"Cancel"_s}));
        QCOMPARE(alert.style, AlertStyle::Warning);
    }

    void startsInAnySession()
    {
        QVERIFY(shouldUseXcb("", "wayland", "wayland-0", ":0"));
        QVERIFY(shouldUseXcb("", "", "wayland-0", ":0"));
        QVERIFY(shouldUseXcb("", "Wayland", "", ":1"));
        QVERIFY(!shouldUseXcb("", "x11", "", ":0"));
        // The user's own choice, and a Wayland session without XWayland, are left alone.
        QVERIFY(!shouldUseXcb("wayland", "wayland", "wayland-0", ":0"));
        QVERIFY(!shouldUseXcb("", "wayland", "wayland-0", ""));
        // Any other session without a Wayland display keeps Qt's own choice.
        QVERIFY(!shouldUseXcb("", "tty", "", ":0"));

        // No X display where X11 would be used: a reason instead of Qt's abort.
        QVERIFY(missingDisplayReason("", "wayland", "wayland-0", "")->contains(u"XWayland"));
        QVERIFY(missingDisplayReason("xcb", "x11", "", "")->contains(u"DISPLAY is empty"));
        QVERIFY(!missingDisplayReason("", "wayland", "wayland-0", ":0"));
        QVERIFY(!missingDisplayReason("offscreen", "", "", ""));
    }

    void finishingAsksOnceAndClosesTheWindow_data()
    {
        columns<bool, bool>({"granted", "viaCloseButton"});
        QTest::newRow("Get Started") << true << false;
        QTest::newRow("closed while not granted") << false << true;
    }

    void finishingAsksOnceAndClosesTheWindow()
    {
        const auto [granted, viaCloseButton] = fetch<bool, bool>({"granted", "viaCloseButton"});
        FakePlatform platform;
        platform.permission.granted = granted;
        Launch launch(platform);
        OnboardingWindowController* onboarding = launch.onboarding();
        QVERIFY(onboarding->window()->isVisible());
        QVERIFY(testing::childWithText<QLabel>(
            onboarding->window(),
            u"Vellumbox needs Screen Recording permission to capture screenshots. This "
            "is a desktop security requirement — your screen content stays on your "
            "computer and is never sent anywhere."_s));
        // Both buttons lie wholly inside the window and do not cover each other.
        const QRect window = onboarding->window()->rect();
        QVERIFY(window.contains(onboarding->grantButton()->geometry()));
        QVERIFY(window.contains(onboarding->continueButton()->geometry()));
        QVERIFY(!onboarding->grantButton()->geometry().intersects(
            onboarding->continueButton()->geometry()));
        // Granted from the start (as on X11): nothing to poll.
        QCOMPARE(!onboarding->permissionCheckTimer(), granted);
        QCOMPARE(promptsShown(platform.alerts), 0);
        bool windowOpenDuringPrompt = false;
        platform.alerts.whileShown = [&](const Alert&) {
            windowOpenDuringPrompt = onboarding->window()->isVisible();
        };
        if (viaCloseButton)
            QVERIFY(onboarding->window()->close());
        else
            QTest::mouseClick(onboarding->continueButton(), Qt::LeftButton);
        QCOMPARE(promptsShown(platform.alerts), 1);
        QVERIFY(windowOpenDuringPrompt);
        QVERIFY(!onboarding->window()->isVisible());
        QVERIFY(!onboarding->permissionCheckTimer());
        QVERIFY(platform.settings.boolValue(settings_keys::hasCompletedOnboarding));
        QVERIFY(platform.settings.boolValue(settings_keys::hasShownLoginItemPrompt));
        QCOMPARE(platform.loginItems.registrations, 1);
        // The controller and its window stay for the rest of the run.
        QCOMPARE(launch.onboarding(), onboarding);

        Launch next(platform);
        QVERIFY(!next.onboarding());
        QCOMPARE(promptsShown(platform.alerts), 1);
    }

    void notGrantedUntilTheDesktopSaysSo()
    {
        FakePlatform platform;
        platform.permission.granted = false;
        Launch launch(platform);
        OnboardingWindowController* onboarding = launch.onboarding();
        QVERIFY(!onboarding->statusImageView()->isGranted());
        // A cross: both of its strokes white on red.
        const QImage cross = onboarding->statusImageView()->grab().toImage();
        QVERIFY(qGreen(cross.pixel(8, 8)) > 200 && qGreen(cross.pixel(12, 8)) > 200);
        QCOMPARE(onboarding->statusLabel()->text(), u"Screen Recording: Not Granted"_s);
        QCOMPARE(onboarding->grantButton()->text(), u"Grant Screen Recording Access…"_s);
        QCOMPARE(onboarding->continueButton()->text(), u"Continue Without Permission"_s);
        QCOMPARE(onboarding->permissionCheckTimer()->interval(), 1000);
        // The grant button asks and opens the settings; Return finishes nothing yet.
        QTest::mouseClick(onboarding->grantButton(), Qt::LeftButton);
        QCOMPARE(platform.permission.requestCount, 1);
        QCOMPARE(platform.permission.openSettingsCount, 1);
        QTest::keyClick(onboarding->window(), Qt::Key_Return);
        QVERIFY(onboarding->window()->isVisible());
        QCOMPARE(promptsShown(platform.alerts), 0);
        // Polled: the desktop grants it outside the program.
        platform.permission.granted = true;
        QTRY_VERIFY_WITH_TIMEOUT(onboarding->statusImageView()->isGranted(), 2500);
        QCOMPARE(onboarding->statusLabel()->text(), u"Screen Recording: Granted"_s);
        QVERIFY(!onboarding->grantButton()->isEnabled());
        QCOMPARE(onboarding->grantButton()->text(), u"Permission Granted"_s);
        QCOMPARE(onboarding->continueButton()->text(), u"Get Started"_s);
        QTRY_VERIFY(!onboarding->permissionCheckTimer());
        QTest::keyClick(onboarding->window(), Qt::Key_Return);
        QVERIFY(!onboarding->window()->isVisible());
        QCOMPARE(promptsShown(platform.alerts), 1);
    }

    void laterLaunchAsksOnceThenNever_data()
    {
        columns<int, QString, int>({"answer", "failure", "registrations"});
        QTest::newRow("yes") << alertFirstButtonReturn << QString() << 1;
        QTest::newRow("no") << alertFirstButtonReturn + 1 << QString() << 0;
        QTest::newRow("yes, but the entry cannot be written")
            << alertFirstButtonReturn << u"Could not write /x: No space left on device"_s << 1;
    }

    void laterLaunchAsksOnceThenNever()
    {
        const auto [answer, failure, registrations] =
            fetch<int, QString, int>({"answer", "failure", "registrations"});
        FakePlatform platform;
        platform.settings.setBoolValue(settings_keys::hasCompletedOnboarding, true);
        platform.alerts.answer = answer;
        if (!failure.isEmpty())
            platform.loginItems.failWith = failure;
        testing::LogCapture log;
        {
            Launch launch(platform);
            QVERIFY(!launch.onboarding());
            QCOMPARE(promptsShown(platform.alerts), 1);
            const Alert& prompt = platform.alerts.shown.constLast();
            QCOMPARE(prompt.informativeText,
                     u"Would you like Vellumbox to start automatically when you log in?"_s);
            QCOMPARE(prompt.buttons, QStringList({u"Yes"_s, u"No"_s}));
        }
        Launch again(platform);
        QCOMPARE(promptsShown(platform.alerts), 1);
        QCOMPARE(platform.loginItems.registrations, registrations);
        QCOMPARE(log.lines().contains(u"vellumbox.LoginItem: Failed to enable login "
                                      "item: "_s +
                                      failure),
                 !failure.isEmpty());
    }

    void theFirstRunOffersADesktopShortcut_data()
    {
        columns<int, QString, QString>({"kind", "failure", "told"}); // failure: of adding it
        using K = ShortcutOffer::Kind;
        QTest::newRow("gnome, added")
            << int(K::Gnome) << QString() << "Ctrl+Shift+9 now takes a screenshot from any window.";
        QTest::newRow("gnome, taken")
            << int(K::Gnome) << "Ctrl+Shift+9 already runs “Terminal”."
            << "Could not add the shortcut: Ctrl+Shift+9 already runs “Terminal”.";
        QTest::newRow("sway") << int(K::ConfigurationLine) << QString() << QString();
    }

    void theFirstRunOffersADesktopShortcut()
    {
        const auto [kind, failure, told] =
            fetch<int, QString, QString>({"kind", "failure", "told"});
        FakePlatform platform;
        const QString line = u"bindsym Ctrl+Shift+9 exec /usr/bin/vellumbox --capture"_s;
        platform.shortcuts.offered = {static_cast<ShortcutOffer::Kind>(kind), line};
        if (!failure.isEmpty())
            platform.shortcuts.failWith = failure;
        Launch launch(platform);
        OnboardingWindowController* onboarding = launch.onboarding();
        QCOMPARE(onboarding->window()->size(),
                 QSize(460, 420 + OnboardingWindowController::shortcutRowHeight));
        QVERIFY(onboarding->window()->rect().contains(onboarding->shortcutLabel()->geometry()));
        if (kind == int(ShortcutOffer::Kind::ConfigurationLine)) {
            QVERIFY(!onboarding->shortcutButton());
            QCOMPARE(onboarding->shortcutLine()->text(), line);
            QVERIFY(onboarding->shortcutLine()->isReadOnly());
            return;
        }
        QVERIFY(!onboarding->shortcutLine());
        QTest::mouseClick(onboarding->shortcutButton(), Qt::LeftButton);
        QCOMPARE(platform.shortcuts.added, 1);
        QCOMPARE(onboarding->shortcutLabel()->text(), told);
        // Once added there is nothing left to add; after a failure the user may try again.
        QCOMPARE(onboarding->shortcutButton()->isEnabled(), !failure.isEmpty());
    }
    // Last: it ends the application's (not running) event loop.
    void quittingLeavesTheFirstRunUnfinished()
    {
        // Quit from the tray or SIGTERM closes the window: no prompt holds the ending process.
        FakePlatform platform;
        platform.permission.granted = false;
        Launch launch(platform);
        OnboardingWindowController* onboarding = launch.onboarding();
        QEvent quit(QEvent::Quit);
        QCoreApplication::sendEvent(QCoreApplication::instance(), &quit);
        QVERIFY(!onboarding->window()->isVisible());
        QCOMPARE(promptsShown(platform.alerts), 0);
        QVERIFY(!platform.settings.boolValue(settings_keys::hasCompletedOnboarding));
        QVERIFY(!onboarding->permissionCheckTimer());
    }
};

QTEST_MAIN(TestApp)
#include "tst_app.moc"
