<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="nl">
<context>
    <name>CalibrationSettings</name>
    <message>
        <source>Settings: %1.</source>
        <translation>Instellingen: %1.</translation>
    </message>
    <message>
        <source>No settings file was found (looked for: --settings FILE, $CALIBRATION_TOOL_SETTINGS, %1, the Wine prefix&apos;s %2). Put the companion programs&apos; keys in %1, or name the file with --settings or in CALIBRATION_TOOL_SETTINGS.</source>
        <translation>Geen instellingenbestand gevonden (gezocht: --settings FILE, $CALIBRATION_TOOL_SETTINGS, %1, %2 van het Wine-prefix). Zet de sleutels van de trainingsprogramma&apos;s in %1, of noem het bestand met --settings of in CALIBRATION_TOOL_SETTINGS.</translation>
    </message>
    <message>
        <source>Settings read from the Wine prefix&apos;s registry %1.</source>
        <translation>Instellingen gelezen uit het register van het Wine-prefix %1.</translation>
    </message>
    <message>
        <source>Settings read from %1.</source>
        <translation>Instellingen gelezen uit %1.</translation>
    </message>
    <message>
        <source>The settings file %1 exists but cannot be read (%2): every key counts as absent.</source>
        <translation>Het instellingenbestand %1 bestaat maar kan niet worden gelezen (%2): elke sleutel geldt als afwezig.</translation>
    </message>
    <message>
        <source>No settings file: %1, named by --settings, does not exist.</source>
        <translation>Geen instellingenbestand: %1, genoemd met --settings, bestaat niet.</translation>
    </message>
    <message>
        <source>No settings file: CALIBRATION_TOOL_SETTINGS is set but empty.</source>
        <translation>Geen instellingenbestand: CALIBRATION_TOOL_SETTINGS is gezet maar leeg.</translation>
    </message>
    <message>
        <source>No settings file: %1, named in CALIBRATION_TOOL_SETTINGS, does not exist.</source>
        <translation>Geen instellingenbestand: %1, genoemd in CALIBRATION_TOOL_SETTINGS, bestaat niet.</translation>
    </message>
    <message>
        <source>cannot read the settings file &apos;%1&apos; (--settings): %2</source>
        <translation>het instellingenbestand &apos;%1&apos; (--settings) kan niet worden gelezen: %2</translation>
    </message>
    <message>
        <source>No settings file: WINEPREFIX is set to &quot;%1&quot;, which is not an absolute path: Wine does not use it, and no Wine prefix is read.</source>
        <translation>Geen instellingenbestand: WINEPREFIX is &quot;%1&quot;, geen absoluut pad: Wine gebruikt het niet en er wordt geen Wine-prefix gelezen.</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>play a simulated trainer: try the tool without one</source>
        <translation>speel een gesimuleerde fietstrainer: probeer zonder</translation>
    </message>
    <message>
        <source>search only this port (a name under /dev or a path);
give it again to search more, in the order given</source>
        <translation>alleen deze poort doorzoeken (een naam onder /dev of een
pad); herhaal voor meer poorten, in de gegeven volgorde</translation>
    </message>
    <message>
        <source>list the ports a search would try, with what the system
knows of each, and exit</source>
        <translation>de poorten tonen die een zoektocht zou proberen, met wat
het systeem van elk weet, en afsluiten</translation>
    </message>
    <message>
        <source>read the calibration points from this settings file</source>
        <translation>de kalibratiepunten uit dit instellingenbestand lezen</translation>
    </message>
    <message>
        <source>log every frame to and from the console, and every
open, close and repair of the port (&apos;-&apos; = stderr)</source>
        <translation>elk frame van en naar de console loggen, en elke
opening, sluiting en reparatie van de poort
(&apos;-&apos; = stderr)</translation>
    </message>
    <message>
        <source>show this help and exit</source>
        <translation>deze hulp tonen en afsluiten</translation>
    </message>
    <message>
        <source>show the version and exit</source>
        <translation>de versie tonen en afsluiten</translation>
    </message>
    <message>
        <source>unrecognized option &apos;%1&apos;</source>
        <translation>onbekende optie &apos;%1&apos;</translation>
    </message>
    <message>
        <source>option &apos;%1&apos; requires an argument</source>
        <translation>optie &apos;%1&apos; vereist een argument</translation>
    </message>
    <message>
        <source>option &apos;%1&apos; doesn&apos;t allow an argument</source>
        <translation>optie &apos;%1&apos; staat geen argument toe</translation>
    </message>
    <message>
        <source>Try &apos;calibration-tool --help&apos; for more information.</source>
        <translation>Probeer &apos;calibration-tool --help&apos; voor meer informatie.</translation>
    </message>
    <message>
        <source>cannot start the simulated trainer: %1</source>
        <translation>de gesimuleerde fietstrainer kan niet starten: %1</translation>
    </message>
    <message>
        <source>Usage: calibration-tool [OPTION]...
Finds the trainer&apos;s console on the machine&apos;s serial ports and opens the
calibration window (P1, P2, P3 choose a calibration point).

Options:
</source>
        <translation>Gebruik: calibration-tool [OPTIE]...
Zoekt de console van de fietstrainer op de seriële poorten van de computer
en opent het kalibratievenster (P1, P2, P3 kiezen een kalibratiepunt).

Opties:
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
Omgeving:
  CALIBRATION_TOOL_PORTS     te doorzoeken seriële poorten, gescheiden door
                             komma&apos;s (namen onder /dev of absolute paden)
  CALIBRATION_TOOL_SETTINGS  het instellingenbestand (een registerexport of
                             de user.reg van een Wine-prefix)
  WINEPREFIX                 het Wine-prefix waarvan user.reg wordt gelezen
                             als er geen ander bestand is (~/.wine)
</translation>
    </message>
    <message>
        <source>extra operand &apos;%1&apos; (a port is named with --port NAME)</source>
        <translation>extra operand &apos;%1&apos; (een poort noem je met --port NAAM)</translation>
    </message>
    <message>
        <source>option &apos;%1&apos; requires a non-empty argument</source>
        <translation>optie &apos;%1&apos; vereist een niet-leeg argument</translation>
    </message>
    <message>
        <source>--demo searches only its own simulated trainer: it cannot be combined with --port</source>
        <translation>--demo zoekt alleen zijn eigen gesimuleerde fietstrainer: het kan niet samen met --port</translation>
    </message>
    <message>
        <source>cannot write to standard output: %1</source>
        <translation>kan niet naar de standaarduitvoer schrijven: %1</translation>
    </message>
</context>
<context>
    <name>DemoSession</name>
    <message>
        <source>the demonstration&apos;s built-in settings</source>
        <translation>de ingebouwde instellingen van de demonstratie</translation>
    </message>
</context>
<context>
    <name>FrameworkErrors</name>
    <message>
        <source>&apos;%1&apos; is not a valid integer value</source>
        <translation>&apos;%1&apos; is geen geldig geheel getal</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a valid floating point value</source>
        <translation>&apos;%1&apos; is geen geldig decimaal getal</translation>
    </message>
    <message>
        <source>Type de données incorrect pour &apos;%1&apos;</source>
        <translation>Onjuist gegevenstype voor &apos;%1&apos;</translation>
    </message>
</context>
<context>
    <name>MessageDialog</name>
    <message>
        <source>&amp;Oui</source>
        <translation>&amp;Ja</translation>
    </message>
    <message>
        <source>&amp;Non</source>
        <translation>&amp;Nee</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>&amp;Annuler</source>
        <translation>&amp;Annuleren</translation>
    </message>
    <message>
        <source>&amp;Abandonner</source>
        <translation>&amp;Afbreken</translation>
    </message>
    <message>
        <source>&amp;Retenter</source>
        <translation>&amp;Opnieuw</translation>
    </message>
    <message>
        <source>&amp;Ignorer</source>
        <translation>&amp;Negeren</translation>
    </message>
    <message>
        <source>&amp;Tous</source>
        <translation>&amp;Alle</translation>
    </message>
    <message>
        <source>N&amp;on à tout</source>
        <translation>N&amp;ee op alles</translation>
    </message>
    <message>
        <source>O&amp;ui à tout</source>
        <translation>J&amp;a op alles</translation>
    </message>
    <message>
        <source>&amp;Aide</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>Avertissement</source>
        <translation>Waarschuwing</translation>
    </message>
    <message>
        <source>Erreur</source>
        <translation>Fout</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>Informatie</translation>
    </message>
    <message>
        <source>Confirmation</source>
        <translation>Bevestiging</translation>
    </message>
</context>
<context>
    <name>PortListing</name>
    <message>
        <source>may be opened</source>
        <translation>mag worden geopend</translation>
    </message>
    <message>
        <source>permission denied</source>
        <translation>toegang geweigerd</translation>
    </message>
    <message>
        <source>permission denied (group &apos;%1&apos;)</source>
        <translation>toegang geweigerd (groep &apos;%1&apos;)</translation>
    </message>
    <message>
        <source>no such device</source>
        <translation>apparaat bestaat niet</translation>
    </message>
    <message>
        <source>cannot be opened: %1</source>
        <translation>kan niet worden geopend: %1</translation>
    </message>
    <message>
        <source>serial %1</source>
        <translation>serienummer %1</translation>
    </message>
    <message>
        <source>cannot list the serial ports: %1</source>
        <translation>de seriële poorten kunnen niet worden opgesomd: %1</translation>
    </message>
    <message>
        <source>permission denied (yours, mode %1: chmod u+rw)</source>
        <translation>toegang geweigerd (van u, modus %1: chmod u+rw)</translation>
    </message>
</context>
<context>
    <name>PortNaming</name>
    <message>
        <source>, serial %1</source>
        <translation>, serienummer %1</translation>
    </message>
    <message>
        <source>permission denied: %1 is not open to users; ask the administrator, or add a udev rule that gives it to a group for serial ports such as &apos;dialout&apos;</source>
        <translation>toegang geweigerd: %1 is niet open voor gebruikers; vraag het de beheerder, of voeg een udev-regel toe die het aan een groep voor seriële poorten geeft, zoals &apos;dialout&apos;</translation>
    </message>
    <message>
        <source>permission denied: %1 is not open to users (it belongs to the group &apos;%2&apos;); ask the administrator, or add a udev rule that gives it to a group for serial ports such as &apos;dialout&apos;</source>
        <translation>toegang geweigerd: %1 is niet open voor gebruikers (het hoort bij de groep &apos;%2&apos;); vraag het de beheerder, of voeg een udev-regel toe die het aan een groep voor seriële poorten geeft, zoals &apos;dialout&apos;</translation>
    </message>
    <message>
        <source>permission denied: you are in the group &apos;%1&apos; that owns %2, but programs started since your last login do not have it yet: log out and back in</source>
        <translation>toegang geweigerd: u zit in de groep &apos;%1&apos; die eigenaar is van %2, maar programma&apos;s die sinds uw laatste aanmelding zijn gestart hebben die nog niet: meld u af en weer aan</translation>
    </message>
    <message>
        <source>permission denied: join the group &apos;%1&apos; that owns %2 (sudo usermod -aG %1 $USER), then log out and back in</source>
        <translation>toegang geweigerd: word lid van de groep &apos;%1&apos; die eigenaar is van %2 (sudo usermod -aG %1 $USER), meld u daarna af en weer aan</translation>
    </message>
    <message>
        <source>permission denied: the system refused to open %1 although its permissions let you (a security policy or a container&apos;s device rules?)</source>
        <translation>toegang geweigerd: het systeem weigerde %1 te openen, hoewel de rechten het toestaan (een beveiligingsbeleid of de apparaatregels van een container?)</translation>
    </message>
    <message>
        <source>permission denied: %1 is yours, but its mode (%2) keeps you from reading and writing it: chmod u+rw %1</source>
        <translation>toegang geweigerd: %1 is van u, maar de modus (%2) verhindert lezen en schrijven: chmod u+rw %1</translation>
    </message>
    <message>
        <source>not a serial device</source>
        <translation>geen serieel apparaat</translation>
    </message>
    <message>
        <source>on a filesystem mounted nodev (device files there cannot be opened)</source>
        <translation>op een bestandssysteem met nodev gekoppeld (apparaatbestanden kunnen daar niet open)</translation>
    </message>
</context>
<context>
    <name>SerialErrors</name>
    <message>
        <source>Unable to open com port</source>
        <translation>De seriële poort kan niet worden geopend</translation>
    </message>
    <message>
        <source>WriteFile function failed</source>
        <translation>Functie WriteFile mislukt</translation>
    </message>
    <message>
        <source>ReadFile function failed</source>
        <translation>Functie ReadFile mislukt</translation>
    </message>
    <message>
        <source>Invalid Async parameter</source>
        <translation>Ongeldige Async-parameter</translation>
    </message>
    <message>
        <source>PurgeComm function failed</source>
        <translation>Functie PurgeComm mislukt</translation>
    </message>
    <message>
        <source>Unable to get async status</source>
        <translation>De asynchrone status kan niet worden opgevraagd</translation>
    </message>
    <message>
        <source>SetCommState function failed</source>
        <translation>Functie SetCommState mislukt</translation>
    </message>
    <message>
        <source>SetCommTimeouts failed</source>
        <translation>SetCommTimeouts mislukt</translation>
    </message>
    <message>
        <source>SetupComm function failed</source>
        <translation>Functie SetupComm mislukt</translation>
    </message>
    <message>
        <source>ClearCommError function failed</source>
        <translation>Functie ClearCommError mislukt</translation>
    </message>
    <message>
        <source>GetCommModemStatus function failed</source>
        <translation>Functie GetCommModemStatus mislukt</translation>
    </message>
    <message>
        <source>EscapeCommFunction function failed</source>
        <translation>Functie EscapeCommFunction mislukt</translation>
    </message>
    <message>
        <source>TransmitCommChar function failed</source>
        <translation>Functie TransmitCommChar mislukt</translation>
    </message>
    <message>
        <source>Cannot set property while connected</source>
        <translation>De eigenschap kan niet worden gewijzigd terwijl de verbinding open is</translation>
    </message>
    <message>
        <source>EnumPorts function failed</source>
        <translation>Functie EnumPorts mislukt</translation>
    </message>
    <message>
        <source>Failed to store settings</source>
        <translation>De instellingen kunnen niet worden opgeslagen</translation>
    </message>
    <message>
        <source>Failed to load settings</source>
        <translation>De instellingen kunnen niet worden geladen</translation>
    </message>
    <message>
        <source>Link (un)registration failed</source>
        <translation>Aan- of afmelden van de koppeling mislukt</translation>
    </message>
    <message>
        <source>Cannot change led state if ComPort is selected</source>
        <translation>De LED-status kan niet worden gewijzigd als ComPort is geselecteerd</translation>
    </message>
    <message>
        <source>Cannot wait for event if event thread is created</source>
        <translation>Er kan niet op een gebeurtenis worden gewacht als de gebeurtenisthread bestaat</translation>
    </message>
    <message>
        <source>WaitForEvent method failed</source>
        <translation>Methode WaitForEvent mislukt</translation>
    </message>
    <message>
        <source>A component is linked to OnRxBuf event</source>
        <translation>Er is een component gekoppeld aan de gebeurtenis OnRxBuf</translation>
    </message>
    <message>
        <source>Registry error</source>
        <translation>Registerfout</translation>
    </message>
    <message>
        <source> (win error code: %1)</source>
        <translation> (systeemfoutcode: %1)</translation>
    </message>
</context>
<context>
    <name>StartUp</name>
    <message>
        <source>No Program is installed!</source>
        <translation>Er is geen programma geïnstalleerd!</translation>
    </message>
    <message>
        <source>The calibration process don&apos;t work with this version of Trakova. You must upgrade to version 6.0 or above to enable the calibration on Trakova.</source>
        <translation>De kalibratie werkt niet met deze versie van Trakova. Werk Trakova bij naar versie 6.0 of hoger om de kalibratie erin mogelijk te maken.</translation>
    </message>
</context>
<context>
    <name>TForm1</name>
    <message>
        <source>Speed:</source>
        <translation>Snelheid:</translation>
    </message>
    <message>
        <source>mph</source>
        <translation>mph</translation>
    </message>
    <message>
        <source>Target speed: %1 mph</source>
        <translation>Doelsnelheid: %1 mph</translation>
    </message>
    <message>
        <source>Target speed: %1 km/h</source>
        <translation>Doelsnelheid: %1 km/h</translation>
    </message>
    <message>
        <source>Speed: %1 mph</source>
        <translation>Snelheid: %1 mph</translation>
    </message>
    <message>
        <source>Speed: %1 km/h</source>
        <translation>Snelheid: %1 km/h</translation>
    </message>
    <message>
        <source>Calibration tool</source>
        <translation>Kalibratietool</translation>
    </message>
    <message>
        <source>Calibration tool - Connected</source>
        <translation>Kalibratietool - Verbonden</translation>
    </message>
    <message>
        <source>Disconnected</source>
        <translation>Verbinding verbroken</translation>
    </message>
</context>
<context>
    <name>TNerraProgressBar</name>
    <message>
        <source>La valeur doit être comprise entre %1 et %2</source>
        <translation>De waarde moet tussen %1 en %2 liggen</translation>
    </message>
    <message>
        <source>Propriété %1 hors limites</source>
        <translation>Eigenschap %1 buiten het bereik</translation>
    </message>
</context>
<context>
    <name>TProgressDlgForm</name>
    <message>
        <source>Statut de l&apos;opération</source>
        <translation>Status van de bewerking</translation>
    </message>
    <message>
        <source>Progression:</source>
        <translation>Voortgang:</translation>
    </message>
    <message>
        <source>&amp;Annuler</source>
        <translation>&amp;Annuleren</translation>
    </message>
</context>
<context>
    <name>TrainerSearch</name>
    <message>
        <source>a trainer answered</source>
        <translation>een fietstrainer heeft geantwoord</translation>
    </message>
    <message>
        <source>opened, but no trainer answered</source>
        <translation>geopend, maar er antwoordde geen fietstrainer</translation>
    </message>
    <message>
        <source>in use by another program</source>
        <translation>in gebruik door een ander programma</translation>
    </message>
    <message>
        <source>no such device (unplugged?)</source>
        <translation>apparaat bestaat niet (losgekoppeld?)</translation>
    </message>
    <message>
        <source>could not be opened: %1</source>
        <translation>kon niet worden geopend: %1</translation>
    </message>
    <message>
        <source>No trainer was found.</source>
        <translation>Er is geen fietstrainer gevonden.</translation>
    </message>
    <message>
        <source>This computer lists no serial port.</source>
        <translation>Deze computer heeft geen seriële poort.</translation>
    </message>
    <message>
        <source>(The list comes from CALIBRATION_TOOL_PORTS, which names none.)</source>
        <translation>(De lijst komt uit CALIBRATION_TOOL_PORTS, dat er geen noemt.)</translation>
    </message>
    <message>
        <source>Plug in the trainer&apos;s serial or USB-serial cable.</source>
        <translation>Sluit de seriële of USB-seriële kabel van de fietstrainer aan.</translation>
    </message>
    <message>
        <source>Ports tried:</source>
        <translation>Geprobeerde poorten:</translation>
    </message>
    <message>
        <source>Check that the trainer&apos;s console is switched on and its cable plugged in.</source>
        <translation>Controleer of de console van de fietstrainer aan staat en de kabel is aangesloten.</translation>
    </message>
    <message>
        <source>%1 searches again; %2 quits.</source>
        <translation>Met %1 zoekt u opnieuw, met %2 sluit u af.</translation>
    </message>
    <message>
        <source>Reading the com ports...</source>
        <translation>Seriële poorten worden gelezen...</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Ronde</translation>
    </message>
    <message>
        <source>Cannot list the com ports of the computer!</source>
        <translation>De seriële poorten van de computer kunnen niet worden opgesomd!</translation>
    </message>
    <message>
        <source>Opening port %1</source>
        <translation>Poort %1 wordt geopend</translation>
    </message>
    <message numerus="yes">
        <source>... and %n more</source>
        <translation>
            <numerusform>... en nog %n</numerusform>
            <numerusform>... en nog %n</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>WindowSystem</name>
    <message>
        <source>no graphical session (neither DISPLAY nor WAYLAND_DISPLAY is set): the window cannot open; --help and --list-ports work without one</source>
        <translation>geen grafische sessie (DISPLAY noch WAYLAND_DISPLAY is gezet): het venster kan niet openen; --help en --list-ports werken zonder</translation>
    </message>
    <message>
        <source>cannot reach the graphical session (%1): the window cannot open</source>
        <translation>de grafische sessie is niet bereikbaar (%1): het venster kan niet openen</translation>
    </message>
    <message>
        <source>%1 unset</source>
        <translation>%1 niet gezet</translation>
    </message>
</context>
<context>
    <name>WireTrace</name>
    <message>
        <source>cannot open the trace file %1: %2</source>
        <translation>kan het logbestand %1 niet openen: %2</translation>
    </message>
    <message>
        <source>nothing reads this FIFO yet (start its reader first)</source>
        <translation>niemand leest deze FIFO nog (start eerst de lezer)</translation>
    </message>
    <message>
        <source>standard error</source>
        <translation>standaardfoutuitvoer</translation>
    </message>
    <message>
        <source>cannot write the trace to %1: %2; tracing stops</source>
        <translation>kan het log niet naar %1 schrijven: %2; het loggen stopt</translation>
    </message>
</context>
</TS>
