<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr">
<context>
    <name>Appcast</name>
    <message>
        <source>the feed is larger than %1 bytes</source>
        <translation>la liste des mises à jour dépasse %1 octets</translation>
    </message>
    <message>
        <source>the feed declares a document type</source>
        <translation>la liste des mises à jour déclare un type de document</translation>
    </message>
    <message>
        <source>the feed is not XML: %1</source>
        <translation>la liste des mises à jour n’est pas du XML&#xa0;: %1</translation>
    </message>
    <message>
        <source>the feed is not an RSS document</source>
        <translation>la liste des mises à jour n’est pas un document RSS</translation>
    </message>
    <message>
        <source>the feed is not well-formed XML: %1 (line %2)</source>
        <translation>la liste des mises à jour n’est pas du XML bien formé&#xa0;: %1 (ligne %2)</translation>
    </message>
</context>
<context>
    <name>DesktopShortcuts</name>
    <message>
        <source>This desktop keeps no shortcuts Vellumbox can add.</source>
        <translation>Cet environnement de bureau ne propose aucun raccourci que Vellumbox puisse ajouter.</translation>
    </message>
</context>
<context>
    <name>GioShareService</name>
    <message>
        <source>E-mail</source>
        <translation>Courriel</translation>
    </message>
    <message>
        <source>The folder %1 could not be made.</source>
        <translation>Le dossier %1 n’a pas pu être créé.</translation>
    </message>
    <message>
        <source>The image could not be written to %1.</source>
        <translation>L’image n’a pas pu être écrite dans %1.</translation>
    </message>
    <message>
        <source>%1 is no longer installed.</source>
        <translation>%1 n’est plus installé.</translation>
    </message>
    <message>
        <source>%1 could not be started: %2</source>
        <translation>%1 n’a pas pu être lancé&#xa0;: %2</translation>
    </message>
</context>
<context>
    <name>GnomeShortcuts</name>
    <message>
        <source>GNOME&apos;s keyboard settings are not installed.</source>
        <translation>Les paramètres du clavier de GNOME ne sont pas installés.</translation>
    </message>
    <message>
        <source>Ctrl+Shift+9 already runs “%1” in GNOME&apos;s shortcuts.</source>
        <translation>Dans les raccourcis de GNOME, Ctrl+Maj+9 lance déjà «&#xa0;%1&#xa0;».</translation>
    </message>
    <message>
        <source>GNOME&apos;s settings did not take the shortcut.</source>
        <translation>GNOME n’a pas accepté le raccourci.</translation>
    </message>
</context>
<context>
    <name>ImageFile</name>
    <message>
        <source>Screenshot %1 at %2</source>
        <translation>Capture d’écran du %1 à %2</translation>
    </message>
    <message>
        <source>There is no image to save.</source>
        <translation>Il n’y a aucune image à enregistrer.</translation>
    </message>
    <message>
        <source>The image could not be encoded as %1: %2</source>
        <translation>L’image n’a pas pu être encodée en %1&#xa0;: %2</translation>
    </message>
</context>
<context>
    <name>KWinScreenShot</name>
    <message>
        <source>KWin sent a screenshot Vellumbox cannot read.</source>
        <translation>KWin a envoyé une capture d’écran que Vellumbox ne sait pas lire.</translation>
    </message>
    <message>
        <source>There are no resources left to read the screen.</source>
        <translation>Il ne reste plus de ressources pour lire l’écran.</translation>
    </message>
    <message>
        <source>KWin could not take the screenshot: %1</source>
        <translation>KWin n’a pas pu prendre la capture d’écran&#xa0;: %1</translation>
    </message>
    <message>
        <source>KWin did not send the screenshot in time.</source>
        <translation>KWin n’a pas envoyé la capture d’écran à temps.</translation>
    </message>
</context>
<context>
    <name>LinuxPlatform</name>
    <message>
        <source>This Wayland session lets no application read the screen: it offers neither the wlroots screen-copy protocol nor the desktop portal&apos;s Screenshot interface.</source>
        <translation>Cette session Wayland ne permet à aucune application de lire l’écran&#xa0;: elle ne propose ni le protocole de copie d’écran de wlroots, ni l’interface Screenshot du portail du bureau.</translation>
    </message>
</context>
<context>
    <name>LoadableTextEngine</name>
    <message>
        <source>Text recognition is not installed (%1 was not found in %2).</source>
        <translation>La reconnaissance de texte n’est pas installée (%1 est introuvable dans %2).</translation>
    </message>
    <message>
        <source>Text recognition could not be loaded: %1</source>
        <translation>La reconnaissance de texte n’a pas pu être chargée&#xa0;: %1</translation>
    </message>
</context>
<context>
    <name>PortalGlobalHotkey</name>
    <message>
        <source>Take a screenshot</source>
        <translation>Prendre une capture d’écran</translation>
    </message>
</context>
<context>
    <name>PortalResponse</name>
    <message>
        <source>There is no session bus.</source>
        <translation>Il n’y a pas de bus de session.</translation>
    </message>
    <message>
        <source>it did not answer within %1 s</source>
        <translation>pas de réponse en %1&#xa0;s</translation>
    </message>
</context>
<context>
    <name>PortalScreenshot</name>
    <message>
        <source>The desktop did not allow Vellumbox to take the screenshot.</source>
        <translation>Le bureau n’a pas autorisé Vellumbox à prendre la capture d’écran.</translation>
    </message>
    <message>
        <source>The desktop&apos;s screenshot service failed (answer %1).</source>
        <translation>Le service de capture d’écran du bureau a échoué (réponse %1).</translation>
    </message>
    <message>
        <source>The desktop&apos;s screenshot service gave no picture file.</source>
        <translation>Le service de capture d’écran du bureau n’a fourni aucun fichier image.</translation>
    </message>
    <message>
        <source>The desktop&apos;s screenshot does not match the screens.</source>
        <translation>La capture d’écran du bureau ne correspond pas aux écrans.</translation>
    </message>
    <message>
        <source>A screenshot is already being taken.</source>
        <translation>Une capture d’écran est déjà en cours.</translation>
    </message>
    <message>
        <source>The desktop&apos;s screenshot service failed: %1</source>
        <translation>Le service de capture d’écran du bureau a échoué&#xa0;: %1</translation>
    </message>
    <message>
        <source>The desktop&apos;s screenshot could not be read: %1</source>
        <translation>La capture d’écran du bureau n’a pas pu être lue&#xa0;: %1</translation>
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
        <translation>Image JPEG (*.jpg *.jpeg)</translation>
    </message>
    <message>
        <source>Save Screenshot</source>
        <translation>Enregistrer la capture d’écran</translation>
    </message>
    <message>
        <source>PNG image (*.png)</source>
        <translation>Image PNG (*.png)</translation>
    </message>
</context>
<context>
    <name>QtUpdateUserDriver</name>
    <message>
        <source>Software Update</source>
        <translation>Mise à jour du logiciel</translation>
    </message>
    <message>
        <source>A new version of Vellumbox is available!</source>
        <translation>Une nouvelle version de Vellumbox est disponible&#xa0;!</translation>
    </message>
    <message>
        <source>Vellumbox %1 is now available—you have %2. Would you like to download it now?</source>
        <translation>Vellumbox %1 est disponible — vous avez la version %2. Voulez-vous la télécharger maintenant&#xa0;?</translation>
    </message>
    <message>
        <source>Release Notes:</source>
        <translation>Notes de version&#xa0;:</translation>
    </message>
    <message>
        <source>&lt;a href=&quot;%1&quot;&gt;Read the release notes&lt;/a&gt;</source>
        <translation>&lt;a href=&quot;%1&quot;&gt;Lire les notes de version&lt;/a&gt;</translation>
    </message>
    <message>
        <source>Skip This Version</source>
        <translation>Ignorer cette version</translation>
    </message>
    <message>
        <source>Remind Me Later</source>
        <translation>Me le rappeler plus tard</translation>
    </message>
    <message>
        <source>Install Update</source>
        <translation>Installer la mise à jour</translation>
    </message>
    <message>
        <source>Check for Updates</source>
        <translation>Rechercher des mises à jour</translation>
    </message>
    <message>
        <source>This build of Vellumbox has no update feed, so it cannot check for updates.</source>
        <translation>Cette version de Vellumbox n’a pas de liste des mises à jour&#xa0;; elle ne peut donc pas en rechercher.</translation>
    </message>
    <message>
        <source>You&apos;re up to date!</source>
        <translation>Vous êtes à jour&#xa0;!</translation>
    </message>
    <message>
        <source>Vellumbox %1 is currently the newest version available.</source>
        <translation>Vellumbox %1 est la version la plus récente disponible.</translation>
    </message>
    <message>
        <source>You chose to skip Vellumbox %1, the newest version available. You have %2.</source>
        <translation>Vous avez choisi d’ignorer Vellumbox %1, la version la plus récente disponible. Vous avez la version %2.</translation>
    </message>
    <message>
        <source>Downloading Vellumbox %1…</source>
        <translation>Téléchargement de Vellumbox %1…</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>Update Error!</source>
        <translation>Erreur de mise à jour&#xa0;!</translation>
    </message>
</context>
<context>
    <name>ScreenTextRecognizer</name>
    <message>
        <source>The area is too large to read text from (%1 × %2 pixels; at most %3 million pixels).</source>
        <translation>La zone est trop grande pour en lire le texte (%1 × %2 pixels&#xa0;; au plus %3 millions de pixels).</translation>
    </message>
</context>
<context>
    <name>ScreenshotExporter</name>
    <message>
        <source>Save Failed</source>
        <translation>Échec de l’enregistrement</translation>
    </message>
    <message>
        <source>Share Failed</source>
        <translation>Échec du partage</translation>
    </message>
</context>
<context>
    <name>ScreenshotMenu</name>
    <message>
        <source>100% (Original)</source>
        <translation>100&#xa0;% (original)</translation>
    </message>
    <message>
        <source>%1%</source>
        <translation>%1&#xa0;%</translation>
    </message>
    <message>
        <source>Resize</source>
        <translation>Redimensionner</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Annoter</translation>
    </message>
    <message>
        <source>Pencil</source>
        <translation>Crayon</translation>
    </message>
    <message>
        <source>Circle</source>
        <translation>Cercle</translation>
    </message>
    <message>
        <source>Square</source>
        <translation>Rectangle</translation>
    </message>
    <message>
        <source>Arrow</source>
        <translation>Flèche</translation>
    </message>
    <message>
        <source>Highlight</source>
        <translation>Surligner</translation>
    </message>
    <message>
        <source>Clear Edits</source>
        <translation>Effacer les annotations</translation>
    </message>
    <message>
        <source>Exit Edit Mode</source>
        <translation>Quitter le mode annotation</translation>
    </message>
    <message>
        <source>Copy to Clipboard</source>
        <translation>Copier dans le presse-papiers</translation>
    </message>
    <message>
        <source>Scan Text (OCR)</source>
        <translation>Reconnaître le texte (OCR)</translation>
    </message>
    <message>
        <source>Save as File...</source>
        <translation>Enregistrer dans un fichier…</translation>
    </message>
    <message>
        <source>Share</source>
        <translation>Partager</translation>
    </message>
    <message>
        <source>Unpin</source>
        <translation>Désépingler</translation>
    </message>
    <message>
        <source>Pin</source>
        <translation>Épingler</translation>
    </message>
    <message>
        <source>Rotate</source>
        <translation>Faire pivoter</translation>
    </message>
    <message>
        <source>Rotate 90° Clockwise</source>
        <translation>Faire pivoter de 90° dans le sens horaire</translation>
    </message>
    <message>
        <source>Rotate 90° Counter-Clockwise</source>
        <translation>Faire pivoter de 90° dans le sens antihoraire</translation>
    </message>
    <message>
        <source>Close All Screenshots</source>
        <translation>Fermer toutes les captures d’écran</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Fermer</translation>
    </message>
</context>
<context>
    <name>SessionType</name>
    <message>
        <source>Vellumbox needs XWayland to run in a Wayland session, and this session has no X display (DISPLAY is not set). Turn XWayland on in your desktop&apos;s settings, or log in to an X11 session.</source>
        <translation>Vellumbox a besoin de XWayland pour fonctionner dans une session Wayland, et cette session n’a pas d’affichage X (DISPLAY n’est pas défini). Activez XWayland dans les paramètres de votre bureau, ou ouvrez une session X11.</translation>
    </message>
    <message>
        <source>Vellumbox needs an X display, and none is set (DISPLAY is empty). Start it from a desktop session.</source>
        <translation>Vellumbox a besoin d’un affichage X, et aucun n’est défini (DISPLAY est vide). Lancez-le depuis une session de bureau.</translation>
    </message>
</context>
<context>
    <name>SignatureCheck</name>
    <message>
        <source>the update is valid</source>
        <translation>la mise à jour est valide</translation>
    </message>
    <message>
        <source>the downloaded update could not be read</source>
        <translation>la mise à jour téléchargée n’a pas pu être lue</translation>
    </message>
    <message>
        <source>the downloaded update does not have the announced size</source>
        <translation>la mise à jour téléchargée n’a pas la taille annoncée</translation>
    </message>
    <message>
        <source>the update is not signed</source>
        <translation>la mise à jour n’est pas signée</translation>
    </message>
    <message>
        <source>the update is improperly signed and could not be validated</source>
        <translation>la mise à jour est mal signée et n’a pas pu être validée</translation>
    </message>
</context>
<context>
    <name>TesseractEngine</name>
    <message>
        <source>English text recognition data (eng.traineddata) is not installed in %1.</source>
        <translation>Les données anglaises de la reconnaissance de texte (eng.traineddata) ne sont pas installées dans %1.</translation>
    </message>
    <message>
        <source>Text recognition could not load its data from %1.</source>
        <translation>La reconnaissance de texte n’a pas pu charger ses données depuis %1.</translation>
    </message>
</context>
<context>
    <name>WaylandImage</name>
    <message>
        <source>The compositor sent the screen in a pixel format Vellumbox does not read (code 0x%1).</source>
        <translation>Le compositeur a envoyé l’écran dans un format de pixels que Vellumbox ne lit pas (code 0x%1).</translation>
    </message>
    <message>
        <source>The compositor sent an empty or malformed picture.</source>
        <translation>Le compositeur a envoyé une image vide ou mal formée.</translation>
    </message>
</context>
<context>
    <name>WlrScreencopyCapture</name>
    <message>
        <source>The connection to the compositor failed (%1).</source>
        <translation>La connexion au compositeur a échoué (%1).</translation>
    </message>
    <message>
        <source>The compositor shows no output where the screen &quot;%1&quot; was.</source>
        <translation>Le compositeur n’affiche aucune sortie là où se trouvait l’écran «&#xa0;%1&#xa0;».</translation>
    </message>
    <message>
        <source>The compositor did not answer a request for the screen.</source>
        <translation>Le compositeur n’a pas répondu à une demande de l’écran.</translation>
    </message>
    <message>
        <source>The compositor could not copy the screen.</source>
        <translation>Le compositeur n’a pas pu copier l’écran.</translation>
    </message>
    <message>
        <source>There is not enough memory for the screen&apos;s picture.</source>
        <translation>Il n’y a pas assez de mémoire pour l’image de l’écran.</translation>
    </message>
</context>
<context>
    <name>X11DisplayCapture</name>
    <message>
        <source>The display could not be read (X error %1).</source>
        <translation>L’affichage n’a pas pu être lu (erreur X %1).</translation>
    </message>
    <message>
        <source>The display has an unsupported pixel format (depth %1).</source>
        <translation>L’affichage a un format de pixels non pris en charge (profondeur %1).</translation>
    </message>
    <message>
        <source>There is no X11 display to capture.</source>
        <translation>Il n’y a aucun affichage X11 à capturer.</translation>
    </message>
    <message>
        <source>The screen “%1” lies outside the display.</source>
        <translation>L’écran «&#xa0;%1&#xa0;» se trouve hors de l’affichage.</translation>
    </message>
    <message>
        <source>The area lies outside the screen “%1”.</source>
        <translation>La zone se trouve hors de l’écran «&#xa0;%1&#xa0;».</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Captures a region of the screen and keeps it floating above your work.</source>
        <translation>Capture une zone de l’écran et la garde flottante au-dessus de votre travail.</translation>
    </message>
    <message>
        <source>Start a capture as soon as Vellumbox runs.</source>
        <translation>Commencer une capture dès que Vellumbox est lancé.</translation>
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
        <translation>Cliquez sur l’icône de la zone de notification ou appuyez sur Ctrl+Maj+9
Cliquez et faites glisser pour choisir une zone
Relâchez pour capturer — la capture reste flottante
Clic droit pour les options
Cliquez pour fermer · Faites glisser pour déplacer

Raccourcis clavier
Ctrl+C  Copier dans le presse-papiers
Ctrl+S  Enregistrer dans un fichier
Ctrl+W  Fermer la capture
Ctrl+Z  Annuler la dernière annotation
Échap   Quitter le mode annotation</translation>
    </message>
    <message>
        <source>About Vellumbox</source>
        <translation>À propos de Vellumbox</translation>
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
        <translation>Lancer à l’ouverture de session&#xa0;?</translation>
    </message>
    <message>
        <source>Would you like Vellumbox to start automatically when you log in?</source>
        <translation>Voulez-vous que Vellumbox se lance automatiquement à l’ouverture de votre session&#xa0;?</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Oui</translation>
    </message>
    <message>
        <source>No</source>
        <translation>Non</translation>
    </message>
    <message>
        <source>Screen Recording Permission Required</source>
        <translation>Autorisation d’enregistrer l’écran requise</translation>
    </message>
    <message>
        <source>Vellumbox needs Screen Recording permission to capture screenshots. Please grant access in your desktop&apos;s privacy settings, then relaunch the app.</source>
        <translation>Vellumbox a besoin de l’autorisation d’enregistrer l’écran pour prendre des captures. Accordez-la dans les paramètres de confidentialité de votre bureau, puis relancez l’application.</translation>
    </message>
    <message>
        <source>Open Settings</source>
        <translation>Ouvrir les paramètres</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
</context>
<context>
    <name>vellumbox::BoundedTransfer</name>
    <message>
        <source>The server took too long to answer.</source>
        <translation>Le serveur a mis trop de temps à répondre.</translation>
    </message>
    <message>
        <source>The address %1 is not a secure address.</source>
        <translation>L’adresse %1 n’est pas une adresse sécurisée.</translation>
    </message>
    <message>
        <source>The server redirected to %1, which is not a secure address.</source>
        <translation>Le serveur a redirigé vers %1, qui n’est pas une adresse sécurisée.</translation>
    </message>
    <message>
        <source>The server sent more data than expected.</source>
        <translation>Le serveur a envoyé plus de données que prévu.</translation>
    </message>
    <message>
        <source>The update could not be saved: %1.</source>
        <translation>La mise à jour n’a pas pu être enregistrée&#xa0;: %1.</translation>
    </message>
    <message>
        <source>The server answered with status %1.</source>
        <translation>Le serveur a répondu avec le statut %1.</translation>
    </message>
</context>
<context>
    <name>vellumbox::OCRSelectionView</name>
    <message>
        <source>OCR Failed</source>
        <translation>Échec de la reconnaissance de texte</translation>
    </message>
    <message>
        <source>No Text Found</source>
        <translation>Aucun texte trouvé</translation>
    </message>
    <message>
        <source>No text found in selected area.</source>
        <translation>Aucun texte trouvé dans la zone choisie.</translation>
    </message>
    <message>
        <source>Text Copied to Clipboard!</source>
        <translation>Texte copié dans le presse-papiers&#xa0;!</translation>
    </message>
</context>
<context>
    <name>vellumbox::OnboardingWindow</name>
    <message>
        <source>Welcome to Vellumbox</source>
        <translation>Bienvenue dans Vellumbox</translation>
    </message>
    <message>
        <source>Capture. Float. Annotate.</source>
        <translation>Capturez. Gardez à l’écran. Annotez.</translation>
    </message>
    <message>
        <source>One Quick Setup Step</source>
        <translation>Une petite étape de configuration</translation>
    </message>
    <message>
        <source>Vellumbox needs Screen Recording permission to capture screenshots. This is a desktop security requirement — your screen content stays on your computer and is never sent anywhere.</source>
        <translation>Vellumbox a besoin de l’autorisation d’enregistrer l’écran pour prendre des captures. C’est une exigence de sécurité du bureau — le contenu de votre écran reste sur votre ordinateur et n’est jamais envoyé nulle part.</translation>
    </message>
</context>
<context>
    <name>vellumbox::OnboardingWindowController</name>
    <message>
        <source>In this session Ctrl+Shift+9 reaches only Vellumbox&apos;s own windows, unless GNOME knows it.</source>
        <translation>Dans cette session, Ctrl+Maj+9 n’atteint que les fenêtres de Vellumbox, tant que GNOME ne connaît pas ce raccourci.</translation>
    </message>
    <message>
        <source>Add Ctrl+Shift+9 to GNOME&apos;s Shortcuts</source>
        <translation>Ajouter Ctrl+Maj+9 aux raccourcis de GNOME</translation>
    </message>
    <message>
        <source>For Ctrl+Shift+9 from any window, add this line to your sway configuration:</source>
        <translation>Pour utiliser Ctrl+Maj+9 depuis n’importe quelle fenêtre, ajoutez cette ligne à votre configuration de sway&#xa0;:</translation>
    </message>
    <message>
        <source>Could not add the shortcut: %1</source>
        <translation>Le raccourci n’a pas pu être ajouté&#xa0;: %1</translation>
    </message>
    <message>
        <source>Ctrl+Shift+9 now takes a screenshot from any window.</source>
        <translation>Ctrl+Maj+9 prend désormais une capture d’écran depuis n’importe quelle fenêtre.</translation>
    </message>
    <message>
        <source>Shortcut Added</source>
        <translation>Raccourci ajouté</translation>
    </message>
    <message>
        <source>Screen Recording: Granted</source>
        <translation>Enregistrement de l’écran&#xa0;: autorisé</translation>
    </message>
    <message>
        <source>Screen Recording: Not Granted</source>
        <translation>Enregistrement de l’écran&#xa0;: non autorisé</translation>
    </message>
    <message>
        <source>Permission Granted</source>
        <translation>Autorisation accordée</translation>
    </message>
    <message>
        <source>Grant Screen Recording Access…</source>
        <translation>Autoriser l’enregistrement de l’écran…</translation>
    </message>
    <message>
        <source>Get Started</source>
        <translation>Commencer</translation>
    </message>
    <message>
        <source>Continue Without Permission</source>
        <translation>Continuer sans autorisation</translation>
    </message>
</context>
<context>
    <name>vellumbox::PermissionSymbol</name>
    <message>
        <source>Granted</source>
        <translation>Autorisé</translation>
    </message>
    <message>
        <source>Not granted</source>
        <translation>Non autorisé</translation>
    </message>
</context>
<context>
    <name>vellumbox::ScreenCaptureManager</name>
    <message>
        <source>Screenshot Failed</source>
        <translation>Échec de la capture d’écran</translation>
    </message>
</context>
<context>
    <name>vellumbox::StatusBarController</name>
    <message>
        <source>Take Screenshot</source>
        <translation>Prendre une capture d’écran</translation>
    </message>
    <message>
        <source>Close All Screenshots</source>
        <translation>Fermer toutes les captures d’écran</translation>
    </message>
    <message>
        <source>About Vellumbox</source>
        <translation>À propos de Vellumbox</translation>
    </message>
    <message>
        <source>Check for Updates…</source>
        <translation>Rechercher des mises à jour…</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Quitter</translation>
    </message>
</context>
<context>
    <name>vellumbox::UpdateInstaller</name>
    <message>
        <source>The folder %1 could not be created.</source>
        <translation>Le dossier %1 n’a pas pu être créé.</translation>
    </message>
    <message>
        <source>There is not enough free disk space for the update (%1 MB needed).</source>
        <translation>Il n’y a pas assez d’espace disque libre pour la mise à jour (%1&#xa0;Mo nécessaires).</translation>
    </message>
    <message>
        <source>The update could not be saved: %1.</source>
        <translation>La mise à jour n’a pas pu être enregistrée&#xa0;: %1.</translation>
    </message>
    <message>
        <source>The update was downloaded to %1, but it could not be opened.</source>
        <translation>La mise à jour a été téléchargée dans %1, mais elle n’a pas pu être ouverte.</translation>
    </message>
    <message>
        <source>The update was refused: %1. It has been deleted.</source>
        <translation>La mise à jour a été refusée&#xa0;: %1. Elle a été supprimée.</translation>
    </message>
</context>
<context>
    <name>vellumbox::UpdaterManager</name>
    <message>
        <source>The update feed could not be loaded. %1</source>
        <translation>La liste des mises à jour n’a pas pu être chargée. %1</translation>
    </message>
    <message>
        <source>The update feed could not be read: %1.</source>
        <translation>La liste des mises à jour n’a pas pu être lue&#xa0;: %1.</translation>
    </message>
    <message>
        <source>Vellumbox %1 is offered without a signature, so it cannot be trusted.</source>
        <translation>Vellumbox %1 est proposé sans signature&#xa0;; on ne peut donc pas s’y fier.</translation>
    </message>
    <message>
        <source>Vellumbox %1 would be downloaded from an insecure address.</source>
        <translation>Vellumbox %1 serait téléchargé depuis une adresse non sécurisée.</translation>
    </message>
</context>
</TS>
