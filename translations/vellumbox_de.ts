<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>Appcast</name>
    <message>
        <source>the feed is larger than %1 bytes</source>
        <translation>die Liste der Aktualisierungen ist größer als %1 Byte</translation>
    </message>
    <message>
        <source>the feed declares a document type</source>
        <translation>die Liste der Aktualisierungen deklariert einen Dokumenttyp</translation>
    </message>
    <message>
        <source>the feed is not XML: %1</source>
        <translation>die Liste der Aktualisierungen ist kein XML: %1</translation>
    </message>
    <message>
        <source>the feed is not an RSS document</source>
        <translation>die Liste der Aktualisierungen ist kein RSS-Dokument</translation>
    </message>
    <message>
        <source>the feed is not well-formed XML: %1 (line %2)</source>
        <translation>die Liste der Aktualisierungen ist kein wohlgeformtes XML: %1 (Zeile %2)</translation>
    </message>
</context>
<context>
    <name>DesktopShortcuts</name>
    <message>
        <source>This desktop keeps no shortcuts Vellumbox can add.</source>
        <translation>Diese Arbeitsumgebung hat keine Tastenkürzel, die Vellumbox hinzufügen kann.</translation>
    </message>
</context>
<context>
    <name>GioShareService</name>
    <message>
        <source>E-mail</source>
        <translation>E-Mail</translation>
    </message>
    <message>
        <source>The folder %1 could not be made.</source>
        <translation>Der Ordner %1 konnte nicht angelegt werden.</translation>
    </message>
    <message>
        <source>The image could not be written to %1.</source>
        <translation>Das Bild konnte nicht in %1 geschrieben werden.</translation>
    </message>
    <message>
        <source>%1 is no longer installed.</source>
        <translation>%1 ist nicht mehr installiert.</translation>
    </message>
    <message>
        <source>%1 could not be started: %2</source>
        <translation>%1 konnte nicht gestartet werden: %2</translation>
    </message>
</context>
<context>
    <name>GnomeShortcuts</name>
    <message>
        <source>GNOME&apos;s keyboard settings are not installed.</source>
        <translation>Die Tastatureinstellungen von GNOME sind nicht installiert.</translation>
    </message>
    <message>
        <source>Ctrl+Shift+9 already runs “%1” in GNOME&apos;s shortcuts.</source>
        <translation>Strg+Umschalt+9 startet in den Tastenkürzeln von GNOME bereits „%1“.</translation>
    </message>
    <message>
        <source>GNOME&apos;s settings did not take the shortcut.</source>
        <translation>GNOME hat das Tastenkürzel nicht übernommen.</translation>
    </message>
</context>
<context>
    <name>ImageFile</name>
    <message>
        <source>Screenshot %1 at %2</source>
        <translation>Bildschirmfoto vom %1 um %2</translation>
    </message>
    <message>
        <source>There is no image to save.</source>
        <translation>Es gibt kein Bild zum Speichern.</translation>
    </message>
    <message>
        <source>The image could not be encoded as %1: %2</source>
        <translation>Das Bild konnte nicht als %1 kodiert werden: %2</translation>
    </message>
</context>
<context>
    <name>KWinScreenShot</name>
    <message>
        <source>KWin sent a screenshot Vellumbox cannot read.</source>
        <translation>KWin hat ein Bildschirmfoto gesendet, das Vellumbox nicht lesen kann.</translation>
    </message>
    <message>
        <source>There are no resources left to read the screen.</source>
        <translation>Es sind keine Ressourcen mehr frei, um den Bildschirm zu lesen.</translation>
    </message>
    <message>
        <source>KWin could not take the screenshot: %1</source>
        <translation>KWin konnte das Bildschirmfoto nicht aufnehmen: %1</translation>
    </message>
    <message>
        <source>KWin did not send the screenshot in time.</source>
        <translation>KWin hat das Bildschirmfoto nicht rechtzeitig gesendet.</translation>
    </message>
</context>
<context>
    <name>LinuxPlatform</name>
    <message>
        <source>This Wayland session lets no application read the screen: it offers neither the wlroots screen-copy protocol nor the desktop portal&apos;s Screenshot interface.</source>
        <translation>Diese Wayland-Sitzung erlaubt keiner Anwendung, den Bildschirm zu lesen: Sie bietet weder das Bildschirmkopie-Protokoll von wlroots noch die Screenshot-Schnittstelle des Desktop-Portals an.</translation>
    </message>
</context>
<context>
    <name>LoadableTextEngine</name>
    <message>
        <source>Text recognition is not installed (%1 was not found in %2).</source>
        <translation>Die Texterkennung ist nicht installiert (%1 wurde in %2 nicht gefunden).</translation>
    </message>
    <message>
        <source>Text recognition could not be loaded: %1</source>
        <translation>Die Texterkennung konnte nicht geladen werden: %1</translation>
    </message>
</context>
<context>
    <name>PortalGlobalHotkey</name>
    <message>
        <source>Take a screenshot</source>
        <translation>Bildschirmfoto aufnehmen</translation>
    </message>
</context>
<context>
    <name>PortalResponse</name>
    <message>
        <source>There is no session bus.</source>
        <translation>Es gibt keinen Sitzungsbus.</translation>
    </message>
    <message>
        <source>it did not answer within %1 s</source>
        <translation>keine Antwort innerhalb von %1 s</translation>
    </message>
</context>
<context>
    <name>PortalScreenshot</name>
    <message>
        <source>The desktop did not allow Vellumbox to take the screenshot.</source>
        <translation>Die Arbeitsumgebung hat Vellumbox das Bildschirmfoto nicht erlaubt.</translation>
    </message>
    <message>
        <source>The desktop&apos;s screenshot service failed (answer %1).</source>
        <translation>Der Bildschirmfoto-Dienst der Arbeitsumgebung ist fehlgeschlagen (Antwort %1).</translation>
    </message>
    <message>
        <source>The desktop&apos;s screenshot service gave no picture file.</source>
        <translation>Der Bildschirmfoto-Dienst der Arbeitsumgebung hat keine Bilddatei geliefert.</translation>
    </message>
    <message>
        <source>The desktop&apos;s screenshot does not match the screens.</source>
        <translation>Das Bildschirmfoto der Arbeitsumgebung passt nicht zu den Bildschirmen.</translation>
    </message>
    <message>
        <source>A screenshot is already being taken.</source>
        <translation>Es wird bereits ein Bildschirmfoto aufgenommen.</translation>
    </message>
    <message>
        <source>The desktop&apos;s screenshot service failed: %1</source>
        <translation>Der Bildschirmfoto-Dienst der Arbeitsumgebung ist fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>The desktop&apos;s screenshot could not be read: %1</source>
        <translation>Das Bildschirmfoto der Arbeitsumgebung konnte nicht gelesen werden: %1</translation>
    </message>
</context>
<context>
    <name>QtAlertPresenter</name>
    <message>
        <source>Vellumbox</source>
        <translation>Vellumbox</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>QtSaveDialog</name>
    <message>
        <source>JPEG image (*.jpg *.jpeg)</source>
        <translation>JPEG-Bild (*.jpg *.jpeg)</translation>
    </message>
    <message>
        <source>Save Screenshot</source>
        <translation>Bildschirmfoto speichern</translation>
    </message>
    <message>
        <source>PNG image (*.png)</source>
        <translation>PNG-Bild (*.png)</translation>
    </message>
</context>
<context>
    <name>QtUpdateUserDriver</name>
    <message>
        <source>Software Update</source>
        <translation>Softwareaktualisierung</translation>
    </message>
    <message>
        <source>A new version of Vellumbox is available!</source>
        <translation>Eine neue Version von Vellumbox ist verfügbar!</translation>
    </message>
    <message>
        <source>Vellumbox %1 is now available—you have %2. Would you like to download it now?</source>
        <translation>Vellumbox %1 ist jetzt verfügbar – Sie haben %2. Möchten Sie die neue Version jetzt herunterladen?</translation>
    </message>
    <message>
        <source>Release Notes:</source>
        <translation>Versionshinweise:</translation>
    </message>
    <message>
        <source>&lt;a href=&quot;%1&quot;&gt;Read the release notes&lt;/a&gt;</source>
        <translation>&lt;a href=&quot;%1&quot;&gt;Versionshinweise lesen&lt;/a&gt;</translation>
    </message>
    <message>
        <source>Skip This Version</source>
        <translation>Diese Version überspringen</translation>
    </message>
    <message>
        <source>Remind Me Later</source>
        <translation>Später erinnern</translation>
    </message>
    <message>
        <source>Install Update</source>
        <translation>Aktualisierung installieren</translation>
    </message>
    <message>
        <source>Check for Updates</source>
        <translation>Nach Aktualisierungen suchen</translation>
    </message>
    <message>
        <source>This build of Vellumbox has no update feed, so it cannot check for updates.</source>
        <translation>Diese Ausgabe von Vellumbox kennt keine Liste der Aktualisierungen und kann daher nicht nach Aktualisierungen suchen.</translation>
    </message>
    <message>
        <source>You&apos;re up to date!</source>
        <translation>Sie sind auf dem neuesten Stand!</translation>
    </message>
    <message>
        <source>Vellumbox %1 is currently the newest version available.</source>
        <translation>Vellumbox %1 ist die neueste verfügbare Version.</translation>
    </message>
    <message>
        <source>You chose to skip Vellumbox %1, the newest version available. You have %2.</source>
        <translation>Sie haben entschieden, Vellumbox %1, die neueste verfügbare Version, zu überspringen. Sie haben %2.</translation>
    </message>
    <message>
        <source>Downloading Vellumbox %1…</source>
        <translation>Vellumbox %1 wird heruntergeladen …</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Update Error!</source>
        <translation>Aktualisierungsfehler!</translation>
    </message>
</context>
<context>
    <name>ScreenTextRecognizer</name>
    <message>
        <source>The area is too large to read text from (%1 × %2 pixels; at most %3 million pixels).</source>
        <translation>Der Bereich ist zu groß, um Text daraus zu lesen (%1 × %2 Pixel; höchstens %3 Millionen Pixel).</translation>
    </message>
</context>
<context>
    <name>ScreenshotExporter</name>
    <message>
        <source>Save Failed</source>
        <translation>Speichern fehlgeschlagen</translation>
    </message>
    <message>
        <source>Share Failed</source>
        <translation>Teilen fehlgeschlagen</translation>
    </message>
</context>
<context>
    <name>ScreenshotMenu</name>
    <message>
        <source>100% (Original)</source>
        <translation>100&#xa0;% (Original)</translation>
    </message>
    <message>
        <source>%1%</source>
        <translation>%1&#xa0;%</translation>
    </message>
    <message>
        <source>Resize</source>
        <translation>Größe ändern</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Bearbeiten</translation>
    </message>
    <message>
        <source>Pencil</source>
        <translation>Stift</translation>
    </message>
    <message>
        <source>Circle</source>
        <translation>Kreis</translation>
    </message>
    <message>
        <source>Square</source>
        <translation>Rechteck</translation>
    </message>
    <message>
        <source>Arrow</source>
        <translation>Pfeil</translation>
    </message>
    <message>
        <source>Highlight</source>
        <translation>Hervorheben</translation>
    </message>
    <message>
        <source>Clear Edits</source>
        <translation>Bearbeitungen löschen</translation>
    </message>
    <message>
        <source>Exit Edit Mode</source>
        <translation>Bearbeitungsmodus beenden</translation>
    </message>
    <message>
        <source>Copy to Clipboard</source>
        <translation>In die Zwischenablage kopieren</translation>
    </message>
    <message>
        <source>Scan Text (OCR)</source>
        <translation>Text erkennen (OCR)</translation>
    </message>
    <message>
        <source>Save as File...</source>
        <translation>Als Datei speichern …</translation>
    </message>
    <message>
        <source>Share</source>
        <translation>Teilen</translation>
    </message>
    <message>
        <source>Unpin</source>
        <translation>Lösen</translation>
    </message>
    <message>
        <source>Pin</source>
        <translation>Anheften</translation>
    </message>
    <message>
        <source>Rotate</source>
        <translation>Drehen</translation>
    </message>
    <message>
        <source>Rotate 90° Clockwise</source>
        <translation>Um 90° im Uhrzeigersinn drehen</translation>
    </message>
    <message>
        <source>Rotate 90° Counter-Clockwise</source>
        <translation>Um 90° gegen den Uhrzeigersinn drehen</translation>
    </message>
    <message>
        <source>Close All Screenshots</source>
        <translation>Alle Bildschirmfotos schließen</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
</context>
<context>
    <name>SessionType</name>
    <message>
        <source>Vellumbox needs XWayland to run in a Wayland session, and this session has no X display (DISPLAY is not set). Turn XWayland on in your desktop&apos;s settings, or log in to an X11 session.</source>
        <translation>Vellumbox braucht XWayland, um in einer Wayland-Sitzung zu laufen, und diese Sitzung hat keine X-Anzeige (DISPLAY ist nicht gesetzt). Schalten Sie XWayland in den Einstellungen Ihrer Arbeitsumgebung ein, oder melden Sie sich in einer X11-Sitzung an.</translation>
    </message>
    <message>
        <source>Vellumbox needs an X display, and none is set (DISPLAY is empty). Start it from a desktop session.</source>
        <translation>Vellumbox braucht eine X-Anzeige, und es ist keine gesetzt (DISPLAY ist leer). Starten Sie Vellumbox aus einer Desktop-Sitzung.</translation>
    </message>
</context>
<context>
    <name>SignatureCheck</name>
    <message>
        <source>the update is valid</source>
        <translation>die Aktualisierung ist gültig</translation>
    </message>
    <message>
        <source>the downloaded update could not be read</source>
        <translation>die heruntergeladene Aktualisierung konnte nicht gelesen werden</translation>
    </message>
    <message>
        <source>the downloaded update does not have the announced size</source>
        <translation>die heruntergeladene Aktualisierung hat nicht die angekündigte Größe</translation>
    </message>
    <message>
        <source>the update is not signed</source>
        <translation>die Aktualisierung ist nicht signiert</translation>
    </message>
    <message>
        <source>the update is improperly signed and could not be validated</source>
        <translation>die Aktualisierung ist fehlerhaft signiert und konnte nicht geprüft werden</translation>
    </message>
</context>
<context>
    <name>TesseractEngine</name>
    <message>
        <source>English text recognition data (eng.traineddata) is not installed in %1.</source>
        <translation>Die englischen Daten der Texterkennung (eng.traineddata) sind in %1 nicht installiert.</translation>
    </message>
    <message>
        <source>Text recognition could not load its data from %1.</source>
        <translation>Die Texterkennung konnte ihre Daten nicht aus %1 laden.</translation>
    </message>
</context>
<context>
    <name>WaylandImage</name>
    <message>
        <source>The compositor sent the screen in a pixel format Vellumbox does not read (code 0x%1).</source>
        <translation>Der Compositor hat den Bildschirm in einem Pixelformat gesendet, das Vellumbox nicht liest (Code 0x%1).</translation>
    </message>
    <message>
        <source>The compositor sent an empty or malformed picture.</source>
        <translation>Der Compositor hat ein leeres oder fehlerhaftes Bild gesendet.</translation>
    </message>
</context>
<context>
    <name>WlrScreencopyCapture</name>
    <message>
        <source>The connection to the compositor failed (%1).</source>
        <translation>Die Verbindung zum Compositor ist fehlgeschlagen (%1).</translation>
    </message>
    <message>
        <source>The compositor shows no output where the screen &quot;%1&quot; was.</source>
        <translation>Der Compositor zeigt keine Ausgabe an der Stelle, an der der Bildschirm „%1“ war.</translation>
    </message>
    <message>
        <source>The compositor did not answer a request for the screen.</source>
        <translation>Der Compositor hat eine Anfrage nach dem Bildschirm nicht beantwortet.</translation>
    </message>
    <message>
        <source>The compositor could not copy the screen.</source>
        <translation>Der Compositor konnte den Bildschirm nicht kopieren.</translation>
    </message>
    <message>
        <source>There is not enough memory for the screen&apos;s picture.</source>
        <translation>Es ist nicht genug Speicher für das Bild des Bildschirms frei.</translation>
    </message>
</context>
<context>
    <name>X11DisplayCapture</name>
    <message>
        <source>The display could not be read (X error %1).</source>
        <translation>Die Anzeige konnte nicht gelesen werden (X-Fehler %1).</translation>
    </message>
    <message>
        <source>The display has an unsupported pixel format (depth %1).</source>
        <translation>Die Anzeige hat ein nicht unterstütztes Pixelformat (Tiefe %1).</translation>
    </message>
    <message>
        <source>There is no X11 display to capture.</source>
        <translation>Es gibt keine X11-Anzeige, die aufgenommen werden kann.</translation>
    </message>
    <message>
        <source>The screen “%1” lies outside the display.</source>
        <translation>Der Bildschirm „%1“ liegt außerhalb der Anzeige.</translation>
    </message>
    <message>
        <source>The area lies outside the screen “%1”.</source>
        <translation>Der Bereich liegt außerhalb des Bildschirms „%1“.</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Captures a region of the screen and keeps it floating above your work.</source>
        <translation>Nimmt einen Bereich des Bildschirms auf und lässt ihn über Ihrer Arbeit schweben.</translation>
    </message>
    <message>
        <source>Start a capture as soon as Vellumbox runs.</source>
        <translation>Eine Aufnahme beginnen, sobald Vellumbox läuft.</translation>
    </message>
</context>
<context>
    <name>vellumbox::AboutWindow</name>
    <message>
        <source>Click the tray icon or press Ctrl+Shift+9
Click and drag to select an area
Release to capture — screenshot floats
Right-click for options
Click to close · Drag to move

Keyboard Shortcuts
Ctrl+C  Copy to clipboard
Ctrl+S  Save to file
Ctrl+W  Close screenshot
Ctrl+Z  Undo last annotation
Esc   Exit edit mode</source>
        <translation>Auf das Symbol im Benachrichtigungsfeld klicken oder Strg+Umschalt+9 drücken
Klicken und ziehen, um einen Bereich zu wählen
Loslassen zum Aufnehmen – das Bildschirmfoto schwebt
Rechtsklick für Optionen
Klicken zum Schließen · Ziehen zum Verschieben

Tastenkürzel
Strg+C  In die Zwischenablage kopieren
Strg+S  Als Datei speichern
Strg+W  Bildschirmfoto schließen
Strg+Z  Letzte Markierung rückgängig machen
Esc   Bearbeitungsmodus beenden</translation>
    </message>
    <message>
        <source>About Vellumbox</source>
        <translation>Über Vellumbox</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
</context>
<context>
    <name>vellumbox::AppDelegate</name>
    <message>
        <source>Start at Login?</source>
        <translation>Bei der Anmeldung starten?</translation>
    </message>
    <message>
        <source>Would you like Vellumbox to start automatically when you log in?</source>
        <translation>Soll Vellumbox bei Ihrer Anmeldung automatisch starten?</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Ja</translation>
    </message>
    <message>
        <source>No</source>
        <translation>Nein</translation>
    </message>
    <message>
        <source>Screen Recording Permission Required</source>
        <translation>Berechtigung zur Bildschirmaufnahme erforderlich</translation>
    </message>
    <message>
        <source>Vellumbox needs Screen Recording permission to capture screenshots. Please grant access in your desktop&apos;s privacy settings, then relaunch the app.</source>
        <translation>Vellumbox braucht die Berechtigung zur Bildschirmaufnahme, um Bildschirmfotos aufzunehmen. Bitte erteilen Sie den Zugriff in den Datenschutzeinstellungen Ihrer Arbeitsumgebung und starten Sie Vellumbox danach neu.</translation>
    </message>
    <message>
        <source>Open Settings</source>
        <translation>Einstellungen öffnen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>vellumbox::BoundedTransfer</name>
    <message>
        <source>The server took too long to answer.</source>
        <translation>Der Server hat zu lange für die Antwort gebraucht.</translation>
    </message>
    <message>
        <source>The address %1 is not a secure address.</source>
        <translation>Die Adresse %1 ist keine sichere Adresse.</translation>
    </message>
    <message>
        <source>The server redirected to %1, which is not a secure address.</source>
        <translation>Der Server hat nach %1 umgeleitet, und das ist keine sichere Adresse.</translation>
    </message>
    <message>
        <source>The server sent more data than expected.</source>
        <translation>Der Server hat mehr Daten gesendet als erwartet.</translation>
    </message>
    <message>
        <source>The update could not be saved: %1.</source>
        <translation>Die Aktualisierung konnte nicht gespeichert werden: %1.</translation>
    </message>
    <message>
        <source>The server answered with status %1.</source>
        <translation>Der Server hat mit dem Status %1 geantwortet.</translation>
    </message>
</context>
<context>
    <name>vellumbox::OCRSelectionView</name>
    <message>
        <source>OCR Failed</source>
        <translation>Texterkennung fehlgeschlagen</translation>
    </message>
    <message>
        <source>No Text Found</source>
        <translation>Kein Text gefunden</translation>
    </message>
    <message>
        <source>No text found in selected area.</source>
        <translation>Im gewählten Bereich wurde kein Text gefunden.</translation>
    </message>
    <message>
        <source>Text Copied to Clipboard!</source>
        <translation>Text in die Zwischenablage kopiert!</translation>
    </message>
</context>
<context>
    <name>vellumbox::OnboardingWindow</name>
    <message>
        <source>Welcome to Vellumbox</source>
        <translation>Willkommen bei Vellumbox</translation>
    </message>
    <message>
        <source>Capture. Float. Annotate.</source>
        <translation>Aufnehmen. Schweben lassen. Markieren.</translation>
    </message>
    <message>
        <source>One Quick Setup Step</source>
        <translation>Ein kurzer Einrichtungsschritt</translation>
    </message>
    <message>
        <source>Vellumbox needs Screen Recording permission to capture screenshots. This is a desktop security requirement — your screen content stays on your computer and is never sent anywhere.</source>
        <translation>Vellumbox braucht die Berechtigung zur Bildschirmaufnahme, um Bildschirmfotos aufzunehmen. Das verlangt die Sicherheit Ihrer Arbeitsumgebung – Ihre Bildschirminhalte bleiben auf Ihrem Rechner und werden nirgendwohin gesendet.</translation>
    </message>
</context>
<context>
    <name>vellumbox::OnboardingWindowController</name>
    <message>
        <source>In this session Ctrl+Shift+9 reaches only Vellumbox&apos;s own windows, unless GNOME knows it.</source>
        <translation>In dieser Sitzung erreicht Strg+Umschalt+9 nur die Fenster von Vellumbox, solange GNOME das Tastenkürzel nicht kennt.</translation>
    </message>
    <message>
        <source>Add Ctrl+Shift+9 to GNOME&apos;s Shortcuts</source>
        <translation>Strg+Umschalt+9 zu den GNOME-Tastenkürzeln hinzufügen</translation>
    </message>
    <message>
        <source>For Ctrl+Shift+9 from any window, add this line to your sway configuration:</source>
        <translation>Damit Strg+Umschalt+9 in jedem Fenster wirkt, fügen Sie diese Zeile Ihrer sway-Konfiguration hinzu:</translation>
    </message>
    <message>
        <source>Could not add the shortcut: %1</source>
        <translation>Das Tastenkürzel konnte nicht hinzugefügt werden: %1</translation>
    </message>
    <message>
        <source>Ctrl+Shift+9 now takes a screenshot from any window.</source>
        <translation>Strg+Umschalt+9 nimmt jetzt in jedem Fenster ein Bildschirmfoto auf.</translation>
    </message>
    <message>
        <source>Shortcut Added</source>
        <translation>Tastenkürzel hinzugefügt</translation>
    </message>
    <message>
        <source>Screen Recording: Granted</source>
        <translation>Bildschirmaufnahme: erlaubt</translation>
    </message>
    <message>
        <source>Screen Recording: Not Granted</source>
        <translation>Bildschirmaufnahme: nicht erlaubt</translation>
    </message>
    <message>
        <source>Permission Granted</source>
        <translation>Berechtigung erteilt</translation>
    </message>
    <message>
        <source>Grant Screen Recording Access…</source>
        <translation>Bildschirmaufnahme erlauben …</translation>
    </message>
    <message>
        <source>Get Started</source>
        <translation>Los geht’s</translation>
    </message>
    <message>
        <source>Continue Without Permission</source>
        <translation>Ohne Berechtigung fortfahren</translation>
    </message>
</context>
<context>
    <name>vellumbox::PermissionSymbol</name>
    <message>
        <source>Granted</source>
        <translation>Erlaubt</translation>
    </message>
    <message>
        <source>Not granted</source>
        <translation>Nicht erlaubt</translation>
    </message>
</context>
<context>
    <name>vellumbox::ScreenCaptureManager</name>
    <message>
        <source>Screenshot Failed</source>
        <translation>Bildschirmfoto fehlgeschlagen</translation>
    </message>
</context>
<context>
    <name>vellumbox::StatusBarController</name>
    <message>
        <source>Take Screenshot</source>
        <translation>Bildschirmfoto aufnehmen</translation>
    </message>
    <message>
        <source>Close All Screenshots</source>
        <translation>Alle Bildschirmfotos schließen</translation>
    </message>
    <message>
        <source>About Vellumbox</source>
        <translation>Über Vellumbox</translation>
    </message>
    <message>
        <source>Check for Updates…</source>
        <translation>Nach Aktualisierungen suchen …</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
</context>
<context>
    <name>vellumbox::UpdateInstaller</name>
    <message>
        <source>The folder %1 could not be created.</source>
        <translation>Der Ordner %1 konnte nicht angelegt werden.</translation>
    </message>
    <message>
        <source>There is not enough free disk space for the update (%1 MB needed).</source>
        <translation>Für die Aktualisierung ist nicht genug Speicherplatz frei (%1 MB nötig).</translation>
    </message>
    <message>
        <source>The update could not be saved: %1.</source>
        <translation>Die Aktualisierung konnte nicht gespeichert werden: %1.</translation>
    </message>
    <message>
        <source>The update was downloaded to %1, but it could not be opened.</source>
        <translation>Die Aktualisierung wurde nach %1 heruntergeladen, konnte aber nicht geöffnet werden.</translation>
    </message>
    <message>
        <source>The update was refused: %1. It has been deleted.</source>
        <translation>Die Aktualisierung wurde abgelehnt: %1. Sie wurde gelöscht.</translation>
    </message>
</context>
<context>
    <name>vellumbox::UpdaterManager</name>
    <message>
        <source>The update feed could not be loaded. %1</source>
        <translation>Die Liste der Aktualisierungen konnte nicht geladen werden. %1</translation>
    </message>
    <message>
        <source>The update feed could not be read: %1.</source>
        <translation>Die Liste der Aktualisierungen konnte nicht gelesen werden: %1.</translation>
    </message>
    <message>
        <source>Vellumbox %1 is offered without a signature, so it cannot be trusted.</source>
        <translation>Vellumbox %1 wird ohne Signatur angeboten und ist daher nicht vertrauenswürdig.</translation>
    </message>
    <message>
        <source>Vellumbox %1 would be downloaded from an insecure address.</source>
        <translation>Vellumbox %1 würde von einer unsicheren Adresse heruntergeladen.</translation>
    </message>
</context>
</TS>
