<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr">
<context>
    <name>CalibrationSettings</name>
    <message>
        <source>Settings: %1.</source>
        <translation>Réglages&#xa0;: %1.</translation>
    </message>
    <message>
        <source>No settings file was found (looked for: --settings FILE, $CALIBRATION_TOOL_SETTINGS, %1, the Wine prefix&apos;s %2). Put the companion programs&apos; keys in %1, or name the file with --settings or in CALIBRATION_TOOL_SETTINGS.</source>
        <translation>Aucun fichier de réglages trouvé (cherchés&#xa0;: --settings FILE, $CALIBRATION_TOOL_SETTINGS, %1, %2 du préfixe Wine). Mettez les clés des logiciels d&apos;entraînement dans %1, ou nommez le fichier avec --settings ou dans CALIBRATION_TOOL_SETTINGS.</translation>
    </message>
    <message>
        <source>Settings read from the Wine prefix&apos;s registry %1.</source>
        <translation>Réglages lus dans le registre du préfixe Wine %1.</translation>
    </message>
    <message>
        <source>Settings read from %1.</source>
        <translation>Réglages lus dans %1.</translation>
    </message>
    <message>
        <source>The settings file %1 exists but cannot be read (%2): every key counts as absent.</source>
        <translation>Le fichier de réglages %1 existe mais ne peut pas être lu (%2)&#xa0;: chaque clé compte comme absente.</translation>
    </message>
    <message>
        <source>No settings file: %1, named by --settings, does not exist.</source>
        <translation>Pas de fichier de réglages&#xa0;: %1, nommé par --settings, n&apos;existe pas.</translation>
    </message>
    <message>
        <source>No settings file: CALIBRATION_TOOL_SETTINGS is set but empty.</source>
        <translation>Pas de fichier de réglages&#xa0;: CALIBRATION_TOOL_SETTINGS est définie mais vide.</translation>
    </message>
    <message>
        <source>No settings file: %1, named in CALIBRATION_TOOL_SETTINGS, does not exist.</source>
        <translation>Pas de fichier de réglages&#xa0;: %1, nommé dans CALIBRATION_TOOL_SETTINGS, n&apos;existe pas.</translation>
    </message>
    <message>
        <source>cannot read the settings file &apos;%1&apos; (--settings): %2</source>
        <translation>impossible de lire le fichier de réglages &apos;%1&apos; (--settings)&#xa0;: %2</translation>
    </message>
    <message>
        <source>No settings file: WINEPREFIX is set to &quot;%1&quot;, which is not an absolute path: Wine does not use it, and no Wine prefix is read.</source>
        <translation>Pas de fichier de réglages&#xa0;: WINEPREFIX vaut &quot;%1&quot;, qui n&apos;est pas un chemin absolu&#xa0;: Wine ne l&apos;utilise pas, et aucun préfixe Wine n&apos;est lu.</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>play a simulated trainer: try the tool without one</source>
        <translation>simuler un home trainer&#xa0;: essayer l&apos;outil sans</translation>
    </message>
    <message>
        <source>search only this port (a name under /dev or a path);
give it again to search more, in the order given</source>
        <translation>ne chercher que sur ce port (un nom sous /dev ou un
chemin)&#xa0;; le répéter pour en chercher d&apos;autres,
dans l&apos;ordre donné</translation>
    </message>
    <message>
        <source>list the ports a search would try, with what the system
knows of each, and exit</source>
        <translation>lister les ports qu&apos;une recherche essaierait, avec
ce que le système sait de chacun, et quitter</translation>
    </message>
    <message>
        <source>read the calibration points from this settings file</source>
        <translation>lire les points d&apos;étalonnage dans ce fichier de réglages</translation>
    </message>
    <message>
        <source>log every frame to and from the console, and every
open, close and repair of the port (&apos;-&apos; = stderr)</source>
        <translation>journaliser chaque trame vers et depuis la console, et
chaque ouverture, fermeture et réparation du port
(&apos;-&apos; = stderr)</translation>
    </message>
    <message>
        <source>show this help and exit</source>
        <translation>afficher cette aide et quitter</translation>
    </message>
    <message>
        <source>show the version and exit</source>
        <translation>afficher la version et quitter</translation>
    </message>
    <message>
        <source>unrecognized option &apos;%1&apos;</source>
        <translation>option non reconnue &apos;%1&apos;</translation>
    </message>
    <message>
        <source>option &apos;%1&apos; requires an argument</source>
        <translation>l&apos;option &apos;%1&apos; nécessite un argument</translation>
    </message>
    <message>
        <source>option &apos;%1&apos; doesn&apos;t allow an argument</source>
        <translation>l&apos;option &apos;%1&apos; n&apos;accepte pas d&apos;argument</translation>
    </message>
    <message>
        <source>Try &apos;calibration-tool --help&apos; for more information.</source>
        <translation>Essayez &apos;calibration-tool --help&apos; pour plus d&apos;informations.</translation>
    </message>
    <message>
        <source>cannot start the simulated trainer: %1</source>
        <translation>impossible de démarrer le home trainer simulé&#xa0;: %1</translation>
    </message>
    <message>
        <source>Usage: calibration-tool [OPTION]...
Finds the trainer&apos;s console on the machine&apos;s serial ports and opens the
calibration window (P1, P2, P3 choose a calibration point).

Options:
</source>
        <translation>Usage&#xa0;: calibration-tool [OPTION]...
Trouve la console du home trainer sur les ports série de l&apos;ordinateur et
ouvre la fenêtre d&apos;étalonnage (P1, P2, P3 choisissent un point d&apos;étalonnage).

Options&#xa0;:
</translation>
    </message>
    <message>
        <source>
Environment:
  CALIBRATION_TOOL_PORTS     serial ports to search, separated by commas
                             (names under /dev or absolute paths)
  CALIBRATION_TOOL_SETTINGS  the settings file (a registry export or a Wine
                             prefix&apos;s user.reg)
  WINEPREFIX                 the Wine prefix whose user.reg is read when no
                             other settings file is found (~/.wine)
</source>
        <translation>
Environnement&#xa0;:
  CALIBRATION_TOOL_PORTS     ports série à chercher, séparés par des virgules
                             (noms sous /dev ou chemins absolus)
  CALIBRATION_TOOL_SETTINGS  le fichier de réglages (un export du registre ou
                             le user.reg d&apos;un préfixe Wine)
  WINEPREFIX                 le préfixe Wine dont le user.reg est lu quand
                             aucun autre fichier n&apos;est trouvé (~/.wine)
</translation>
    </message>
    <message>
        <source>extra operand &apos;%1&apos; (a port is named with --port NAME)</source>
        <translation>opérande en trop &apos;%1&apos; (un port se nomme avec --port NOM)</translation>
    </message>
    <message>
        <source>option &apos;%1&apos; requires a non-empty argument</source>
        <translation>l&apos;option &apos;%1&apos; nécessite un argument non vide</translation>
    </message>
    <message>
        <source>--demo searches only its own simulated trainer: it cannot be combined with --port</source>
        <translation>--demo ne cherche que son propre home trainer simulé&#xa0;: il ne peut pas être combiné avec --port</translation>
    </message>
    <message>
        <source>cannot write to standard output: %1</source>
        <translation>impossible d&apos;écrire sur la sortie standard&#xa0;: %1</translation>
    </message>
</context>
<context>
    <name>DemoSession</name>
    <message>
        <source>the demonstration&apos;s built-in settings</source>
        <translation>les réglages intégrés de la démonstration</translation>
    </message>
</context>
<context>
    <name>FrameworkErrors</name>
    <message>
        <source>&apos;%1&apos; is not a valid integer value</source>
        <translation>&apos;%1&apos; n&apos;est pas une valeur entière valide</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a valid floating point value</source>
        <translation>&apos;%1&apos; n&apos;est pas un nombre décimal valide</translation>
    </message>
    <message>
        <source>Type de données incorrect pour &apos;%1&apos;</source>
        <translation>Type de données incorrect pour &apos;%1&apos;</translation>
    </message>
</context>
<context>
    <name>MessageDialog</name>
    <message>
        <source>&amp;Oui</source>
        <translation>&amp;Oui</translation>
    </message>
    <message>
        <source>&amp;Non</source>
        <translation>&amp;Non</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>&amp;Annuler</source>
        <translation>&amp;Annuler</translation>
    </message>
    <message>
        <source>&amp;Abandonner</source>
        <translation>&amp;Abandonner</translation>
    </message>
    <message>
        <source>&amp;Retenter</source>
        <translation>&amp;Retenter</translation>
    </message>
    <message>
        <source>&amp;Ignorer</source>
        <translation>&amp;Ignorer</translation>
    </message>
    <message>
        <source>&amp;Tous</source>
        <translation>&amp;Tous</translation>
    </message>
    <message>
        <source>N&amp;on à tout</source>
        <translation>N&amp;on à tout</translation>
    </message>
    <message>
        <source>O&amp;ui à tout</source>
        <translation>O&amp;ui à tout</translation>
    </message>
    <message>
        <source>&amp;Aide</source>
        <translation>&amp;Aide</translation>
    </message>
    <message>
        <source>Avertissement</source>
        <translation>Avertissement</translation>
    </message>
    <message>
        <source>Erreur</source>
        <translation>Erreur</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>Confirmation</source>
        <translation>Confirmation</translation>
    </message>
</context>
<context>
    <name>PortListing</name>
    <message>
        <source>may be opened</source>
        <translation>peut être ouvert</translation>
    </message>
    <message>
        <source>permission denied</source>
        <translation>permission refusée</translation>
    </message>
    <message>
        <source>permission denied (group &apos;%1&apos;)</source>
        <translation>permission refusée (groupe &apos;%1&apos;)</translation>
    </message>
    <message>
        <source>no such device</source>
        <translation>périphérique absent</translation>
    </message>
    <message>
        <source>cannot be opened: %1</source>
        <translation>ne peut pas être ouvert&#xa0;: %1</translation>
    </message>
    <message>
        <source>serial %1</source>
        <translation>numéro de série %1</translation>
    </message>
    <message>
        <source>cannot list the serial ports: %1</source>
        <translation>impossible de lister les ports série&#xa0;: %1</translation>
    </message>
    <message>
        <source>permission denied (yours, mode %1: chmod u+rw)</source>
        <translation>permission refusée (à vous, mode %1&#xa0;: chmod u+rw)</translation>
    </message>
</context>
<context>
    <name>PortNaming</name>
    <message>
        <source>, serial %1</source>
        <translation>, numéro de série %1</translation>
    </message>
    <message>
        <source>permission denied: %1 is not open to users; ask the administrator, or add a udev rule that gives it to a group for serial ports such as &apos;dialout&apos;</source>
        <translation>permission refusée&#xa0;: %1 n&apos;est pas ouvert aux utilisateurs&#xa0;; demandez à l&apos;administrateur, ou ajoutez une règle udev qui le donne à un groupe pour les ports série tel que &apos;dialout&apos;</translation>
    </message>
    <message>
        <source>permission denied: %1 is not open to users (it belongs to the group &apos;%2&apos;); ask the administrator, or add a udev rule that gives it to a group for serial ports such as &apos;dialout&apos;</source>
        <translation>permission refusée&#xa0;: %1 n&apos;est pas ouvert aux utilisateurs (il appartient au groupe &apos;%2&apos;)&#xa0;; demandez à l&apos;administrateur, ou ajoutez une règle udev qui le donne à un groupe pour les ports série tel que &apos;dialout&apos;</translation>
    </message>
    <message>
        <source>permission denied: you are in the group &apos;%1&apos; that owns %2, but programs started since your last login do not have it yet: log out and back in</source>
        <translation>permission refusée&#xa0;: vous êtes dans le groupe &apos;%1&apos; propriétaire de %2, mais les programmes lancés depuis votre dernière connexion ne l&apos;ont pas encore&#xa0;: déconnectez-vous puis reconnectez-vous</translation>
    </message>
    <message>
        <source>permission denied: join the group &apos;%1&apos; that owns %2 (sudo usermod -aG %1 $USER), then log out and back in</source>
        <translation>permission refusée&#xa0;: rejoignez le groupe &apos;%1&apos; propriétaire de %2 (sudo usermod -aG %1 $USER), puis déconnectez-vous et reconnectez-vous</translation>
    </message>
    <message>
        <source>permission denied: the system refused to open %1 although its permissions let you (a security policy or a container&apos;s device rules?)</source>
        <translation>permission refusée&#xa0;: le système a refusé d&apos;ouvrir %1 bien que ses droits vous le permettent (une politique de sécurité ou les règles de périphériques d&apos;un conteneur&#xa0;?)</translation>
    </message>
    <message>
        <source>permission denied: %1 is yours, but its mode (%2) keeps you from reading and writing it: chmod u+rw %1</source>
        <translation>permission refusée&#xa0;: %1 est à vous, mais son mode (%2) vous empêche de le lire et de l&apos;écrire&#xa0;: chmod u+rw %1</translation>
    </message>
    <message>
        <source>not a serial device</source>
        <translation>pas un périphérique série</translation>
    </message>
    <message>
        <source>on a filesystem mounted nodev (device files there cannot be opened)</source>
        <translation>sur un système de fichiers monté nodev (les fichiers de périphérique n&apos;y peuvent pas être ouverts)</translation>
    </message>
</context>
<context>
    <name>SerialErrors</name>
    <message>
        <source>Unable to open com port</source>
        <translation>Impossible d&apos;ouvrir le port série</translation>
    </message>
    <message>
        <source>WriteFile function failed</source>
        <translation>Échec de la fonction WriteFile</translation>
    </message>
    <message>
        <source>ReadFile function failed</source>
        <translation>Échec de la fonction ReadFile</translation>
    </message>
    <message>
        <source>Invalid Async parameter</source>
        <translation>Paramètre Async non valide</translation>
    </message>
    <message>
        <source>PurgeComm function failed</source>
        <translation>Échec de la fonction PurgeComm</translation>
    </message>
    <message>
        <source>Unable to get async status</source>
        <translation>Impossible d&apos;obtenir l&apos;état asynchrone</translation>
    </message>
    <message>
        <source>SetCommState function failed</source>
        <translation>Échec de la fonction SetCommState</translation>
    </message>
    <message>
        <source>SetCommTimeouts failed</source>
        <translation>Échec de SetCommTimeouts</translation>
    </message>
    <message>
        <source>SetupComm function failed</source>
        <translation>Échec de la fonction SetupComm</translation>
    </message>
    <message>
        <source>ClearCommError function failed</source>
        <translation>Échec de la fonction ClearCommError</translation>
    </message>
    <message>
        <source>GetCommModemStatus function failed</source>
        <translation>Échec de la fonction GetCommModemStatus</translation>
    </message>
    <message>
        <source>EscapeCommFunction function failed</source>
        <translation>Échec de la fonction EscapeCommFunction</translation>
    </message>
    <message>
        <source>TransmitCommChar function failed</source>
        <translation>Échec de la fonction TransmitCommChar</translation>
    </message>
    <message>
        <source>Cannot set property while connected</source>
        <translation>Impossible de modifier la propriété pendant la connexion</translation>
    </message>
    <message>
        <source>EnumPorts function failed</source>
        <translation>Échec de la fonction EnumPorts</translation>
    </message>
    <message>
        <source>Failed to store settings</source>
        <translation>Impossible d&apos;enregistrer les réglages</translation>
    </message>
    <message>
        <source>Failed to load settings</source>
        <translation>Impossible de charger les réglages</translation>
    </message>
    <message>
        <source>Link (un)registration failed</source>
        <translation>Échec de l&apos;inscription (ou désinscription) du lien</translation>
    </message>
    <message>
        <source>Cannot change led state if ComPort is selected</source>
        <translation>Impossible de changer l&apos;état de la LED si ComPort est sélectionné</translation>
    </message>
    <message>
        <source>Cannot wait for event if event thread is created</source>
        <translation>Impossible d&apos;attendre un événement si le thread d&apos;événements existe</translation>
    </message>
    <message>
        <source>WaitForEvent method failed</source>
        <translation>Échec de la méthode WaitForEvent</translation>
    </message>
    <message>
        <source>A component is linked to OnRxBuf event</source>
        <translation>Un composant est lié à l&apos;événement OnRxBuf</translation>
    </message>
    <message>
        <source>Registry error</source>
        <translation>Erreur du registre</translation>
    </message>
    <message>
        <source> (win error code: %1)</source>
        <translation> (code d&apos;erreur système&#xa0;: %1)</translation>
    </message>
</context>
<context>
    <name>StartUp</name>
    <message>
        <source>No Program is installed!</source>
        <translation>Aucun programme n&apos;est installé&#xa0;!</translation>
    </message>
    <message>
        <source>The calibration process don&apos;t work with this version of Trakova. You must upgrade to version 6.0 or above to enable the calibration on Trakova.</source>
        <translation>L&apos;étalonnage ne fonctionne pas avec cette version de Trakova. Vous devez passer à la version 6.0 ou supérieure pour activer l&apos;étalonnage dans Trakova.</translation>
    </message>
</context>
<context>
    <name>TForm1</name>
    <message>
        <source>Speed:</source>
        <translation>Vitesse&#xa0;:</translation>
    </message>
    <message>
        <source>mph</source>
        <translation>mph</translation>
    </message>
    <message>
        <source>Target speed: %1 mph</source>
        <translation>Vitesse cible&#xa0;: %1 mph</translation>
    </message>
    <message>
        <source>Target speed: %1 km/h</source>
        <translation>Vitesse cible&#xa0;: %1 km/h</translation>
    </message>
    <message>
        <source>Speed: %1 mph</source>
        <translation>Vitesse&#xa0;: %1 mph</translation>
    </message>
    <message>
        <source>Speed: %1 km/h</source>
        <translation>Vitesse&#xa0;: %1 km/h</translation>
    </message>
    <message>
        <source>Calibration tool</source>
        <translation>Outil d&apos;étalonnage</translation>
    </message>
    <message>
        <source>Calibration tool - Connected</source>
        <translation>Outil d&apos;étalonnage - Connecté</translation>
    </message>
    <message>
        <source>Disconnected</source>
        <translation>Déconnecté</translation>
    </message>
</context>
<context>
    <name>TNerraProgressBar</name>
    <message>
        <source>La valeur doit être comprise entre %1 et %2</source>
        <translation>La valeur doit être comprise entre %1 et %2</translation>
    </message>
    <message>
        <source>Propriété %1 hors limites</source>
        <translation>Propriété %1 hors limites</translation>
    </message>
</context>
<context>
    <name>TProgressDlgForm</name>
    <message>
        <source>Statut de l&apos;opération</source>
        <translation>Statut de l&apos;opération</translation>
    </message>
    <message>
        <source>Progression:</source>
        <translation>Progression:</translation>
    </message>
    <message>
        <source>&amp;Annuler</source>
        <translation>&amp;Annuler</translation>
    </message>
</context>
<context>
    <name>TrainerSearch</name>
    <message>
        <source>a trainer answered</source>
        <translation>un home trainer a répondu</translation>
    </message>
    <message>
        <source>opened, but no trainer answered</source>
        <translation>ouvert, mais aucun home trainer n&apos;a répondu</translation>
    </message>
    <message>
        <source>in use by another program</source>
        <translation>utilisé par un autre programme</translation>
    </message>
    <message>
        <source>no such device (unplugged?)</source>
        <translation>périphérique absent (débranché&#xa0;?)</translation>
    </message>
    <message>
        <source>could not be opened: %1</source>
        <translation>ouverture impossible&#xa0;: %1</translation>
    </message>
    <message>
        <source>No trainer was found.</source>
        <translation>Aucun home trainer n&apos;a été trouvé.</translation>
    </message>
    <message>
        <source>This computer lists no serial port.</source>
        <translation>Cet ordinateur ne liste aucun port série.</translation>
    </message>
    <message>
        <source>(The list comes from CALIBRATION_TOOL_PORTS, which names none.)</source>
        <translation>(La liste vient de CALIBRATION_TOOL_PORTS, qui n&apos;en nomme aucun.)</translation>
    </message>
    <message>
        <source>Plug in the trainer&apos;s serial or USB-serial cable.</source>
        <translation>Branchez le câble série ou USB-série du home trainer.</translation>
    </message>
    <message>
        <source>Ports tried:</source>
        <translation>Ports essayés&#xa0;:</translation>
    </message>
    <message>
        <source>Check that the trainer&apos;s console is switched on and its cable plugged in.</source>
        <translation>Vérifiez que la console du home trainer est allumée et son câble branché.</translation>
    </message>
    <message>
        <source>%1 searches again; %2 quits.</source>
        <translation>%1 relance la recherche, %2 quitte.</translation>
    </message>
    <message>
        <source>Reading the com ports...</source>
        <translation>Lecture des ports série...</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Passage</translation>
    </message>
    <message>
        <source>Cannot list the com ports of the computer!</source>
        <translation>Impossible de lister les ports série de l&apos;ordinateur&#xa0;!</translation>
    </message>
    <message>
        <source>Opening port %1</source>
        <translation>Ouverture du port %1</translation>
    </message>
    <message numerus="yes">
        <source>... and %n more</source>
        <translation>
            <numerusform>... et %n autre</numerusform>
            <numerusform>... et %n autres</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>WindowSystem</name>
    <message>
        <source>no graphical session (neither DISPLAY nor WAYLAND_DISPLAY is set): the window cannot open; --help and --list-ports work without one</source>
        <translation>pas de session graphique (ni DISPLAY ni WAYLAND_DISPLAY ne sont définis)&#xa0;: la fenêtre ne peut pas s&apos;ouvrir&#xa0;; --help et --list-ports fonctionnent sans</translation>
    </message>
    <message>
        <source>cannot reach the graphical session (%1): the window cannot open</source>
        <translation>impossible de joindre la session graphique (%1)&#xa0;: la fenêtre ne peut pas s&apos;ouvrir</translation>
    </message>
    <message>
        <source>%1 unset</source>
        <translation>%1 non définie</translation>
    </message>
</context>
<context>
    <name>WireTrace</name>
    <message>
        <source>cannot open the trace file %1: %2</source>
        <translation>impossible d&apos;ouvrir le fichier de trace %1&#xa0;: %2</translation>
    </message>
    <message>
        <source>nothing reads this FIFO yet (start its reader first)</source>
        <translation>personne ne lit encore cette FIFO (lancer d&apos;abord son lecteur)</translation>
    </message>
    <message>
        <source>standard error</source>
        <translation>sortie d&apos;erreur standard</translation>
    </message>
    <message>
        <source>cannot write the trace to %1: %2; tracing stops</source>
        <translation>impossible d&apos;écrire la trace dans %1&#xa0;: %2&#xa0;; le traçage s&apos;arrête</translation>
    </message>
</context>
</TS>
