<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>CalibrationSettings</name>
    <message>
        <source>Settings: %1.</source>
        <translation>Einstellungen: %1.</translation>
    </message>
    <message>
        <source>No settings file was found (looked for: --settings FILE, $CALIBRATION_TOOL_SETTINGS, %1, the Wine prefix&apos;s %2). Put the companion programs&apos; keys in %1, or name the file with --settings or in CALIBRATION_TOOL_SETTINGS.</source>
        <translation>Keine Einstellungsdatei gefunden (gesucht: --settings FILE, $CALIBRATION_TOOL_SETTINGS, %1, %2 des Wine-Präfixes). Legen Sie die Schlüssel der Trainingsprogramme in %1 ab, oder nennen Sie die Datei mit --settings oder in CALIBRATION_TOOL_SETTINGS.</translation>
    </message>
    <message>
        <source>Settings read from the Wine prefix&apos;s registry %1.</source>
        <translation>Einstellungen aus der Registry des Wine-Präfixes %1 gelesen.</translation>
    </message>
    <message>
        <source>Settings read from %1.</source>
        <translation>Einstellungen aus %1 gelesen.</translation>
    </message>
    <message>
        <source>The settings file %1 exists but cannot be read (%2): every key counts as absent.</source>
        <translation>Die Einstellungsdatei %1 existiert, lässt sich aber nicht lesen (%2): jeder Schlüssel gilt als nicht vorhanden.</translation>
    </message>
    <message>
        <source>No settings file: %1, named by --settings, does not exist.</source>
        <translation>Keine Einstellungsdatei: %1, genannt mit --settings, existiert nicht.</translation>
    </message>
    <message>
        <source>No settings file: CALIBRATION_TOOL_SETTINGS is set but empty.</source>
        <translation>Keine Einstellungsdatei: CALIBRATION_TOOL_SETTINGS ist gesetzt, aber leer.</translation>
    </message>
    <message>
        <source>No settings file: %1, named in CALIBRATION_TOOL_SETTINGS, does not exist.</source>
        <translation>Keine Einstellungsdatei: %1, genannt in CALIBRATION_TOOL_SETTINGS, existiert nicht.</translation>
    </message>
    <message>
        <source>cannot read the settings file &apos;%1&apos; (--settings): %2</source>
        <translation>die Einstellungsdatei &apos;%1&apos; (--settings) lässt sich nicht lesen: %2</translation>
    </message>
    <message>
        <source>No settings file: WINEPREFIX is set to &quot;%1&quot;, which is not an absolute path: Wine does not use it, and no Wine prefix is read.</source>
        <translation>Keine Einstellungsdatei: WINEPREFIX ist &quot;%1&quot;, kein absoluter Pfad: Wine verwendet ihn nicht, und kein Wine-Präfix wird gelesen.</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>play a simulated trainer: try the tool without one</source>
        <translation>einen Rollentrainer simulieren: das Werkzeug ohne testen</translation>
    </message>
    <message>
        <source>search only this port (a name under /dev or a path);
give it again to search more, in the order given</source>
        <translation>nur diese Schnittstelle durchsuchen (ein Name unter
/dev oder ein Pfad); mehrfach angeben für mehrere,
in der angegebenen Reihenfolge</translation>
    </message>
    <message>
        <source>list the ports a search would try, with what the system
knows of each, and exit</source>
        <translation>die Schnittstellen auflisten, die eine Suche versuchen
würde, mit dem, was das System über jede weiß,
und beenden</translation>
    </message>
    <message>
        <source>read the calibration points from this settings file</source>
        <translation>die Kalibrierpunkte aus dieser Einstellungsdatei lesen</translation>
    </message>
    <message>
        <source>log every frame to and from the console, and every
open, close and repair of the port (&apos;-&apos; = stderr)</source>
        <translation>jeden Frame zur und von der Konsole protokollieren, und
jedes Öffnen, Schließen und Reparieren der Schnittstelle
(&apos;-&apos; = stderr)</translation>
    </message>
    <message>
        <source>show this help and exit</source>
        <translation>diese Hilfe anzeigen und beenden</translation>
    </message>
    <message>
        <source>show the version and exit</source>
        <translation>die Version anzeigen und beenden</translation>
    </message>
    <message>
        <source>unrecognized option &apos;%1&apos;</source>
        <translation>unbekannte Option &apos;%1&apos;</translation>
    </message>
    <message>
        <source>option &apos;%1&apos; requires an argument</source>
        <translation>Option &apos;%1&apos; erfordert ein Argument</translation>
    </message>
    <message>
        <source>option &apos;%1&apos; doesn&apos;t allow an argument</source>
        <translation>Option &apos;%1&apos; erlaubt kein Argument</translation>
    </message>
    <message>
        <source>Try &apos;calibration-tool --help&apos; for more information.</source>
        <translation>Weitere Informationen mit &apos;calibration-tool --help&apos;.</translation>
    </message>
    <message>
        <source>cannot start the simulated trainer: %1</source>
        <translation>der simulierte Rollentrainer lässt sich nicht starten: %1</translation>
    </message>
    <message>
        <source>Usage: calibration-tool [OPTION]...
Finds the trainer&apos;s console on the machine&apos;s serial ports and opens the
calibration window (P1, P2, P3 choose a calibration point).

Options:
</source>
        <translation>Aufruf: calibration-tool [OPTION]...
Findet die Konsole des Rollentrainers an den seriellen Schnittstellen des
Computers und öffnet das Kalibrierfenster (P1, P2, P3 wählen einen
Kalibrierpunkt).

Optionen:
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
Umgebung:
  CALIBRATION_TOOL_PORTS     zu durchsuchende serielle Schnittstellen, durch
                             Kommas getrennt (Namen unter /dev oder absolute
                             Pfade)
  CALIBRATION_TOOL_SETTINGS  die Einstellungsdatei (ein Registry-Export oder
                             die user.reg eines Wine-Präfixes)
  WINEPREFIX                 das Wine-Präfix, dessen user.reg gelesen wird,
                             wenn keine andere Datei gefunden wird (~/.wine)
</translation>
    </message>
    <message>
        <source>extra operand &apos;%1&apos; (a port is named with --port NAME)</source>
        <translation>überzähliger Operand &apos;%1&apos; (eine Schnittstelle wird mit --port NAME genannt)</translation>
    </message>
    <message>
        <source>option &apos;%1&apos; requires a non-empty argument</source>
        <translation>Option &apos;%1&apos; erfordert ein nicht leeres Argument</translation>
    </message>
    <message>
        <source>--demo searches only its own simulated trainer: it cannot be combined with --port</source>
        <translation>--demo sucht nur seinen eigenen simulierten Rollentrainer: es lässt sich nicht mit --port kombinieren</translation>
    </message>
    <message>
        <source>cannot write to standard output: %1</source>
        <translation>kann nicht auf die Standardausgabe schreiben: %1</translation>
    </message>
</context>
<context>
    <name>DemoSession</name>
    <message>
        <source>the demonstration&apos;s built-in settings</source>
        <translation>die eingebauten Einstellungen der Vorführung</translation>
    </message>
</context>
<context>
    <name>FrameworkErrors</name>
    <message>
        <source>&apos;%1&apos; is not a valid integer value</source>
        <translation>&apos;%1&apos; ist keine gültige Ganzzahl</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a valid floating point value</source>
        <translation>&apos;%1&apos; ist keine gültige Dezimalzahl</translation>
    </message>
    <message>
        <source>Type de données incorrect pour &apos;%1&apos;</source>
        <translation>Ungültiger Datentyp für &apos;%1&apos;</translation>
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
        <translation>&amp;Nein</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>&amp;Annuler</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>&amp;Abandonner</source>
        <translation>Ab&amp;bruch</translation>
    </message>
    <message>
        <source>&amp;Retenter</source>
        <translation>&amp;Wiederholen</translation>
    </message>
    <message>
        <source>&amp;Ignorer</source>
        <translation>&amp;Ignorieren</translation>
    </message>
    <message>
        <source>&amp;Tous</source>
        <translation>&amp;Alle</translation>
    </message>
    <message>
        <source>N&amp;on à tout</source>
        <translation>N&amp;ein für alle</translation>
    </message>
    <message>
        <source>O&amp;ui à tout</source>
        <translation>J&amp;a für alle</translation>
    </message>
    <message>
        <source>&amp;Aide</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>Avertissement</source>
        <translation>Warnung</translation>
    </message>
    <message>
        <source>Erreur</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>Confirmation</source>
        <translation>Bestätigung</translation>
    </message>
</context>
<context>
    <name>PortListing</name>
    <message>
        <source>may be opened</source>
        <translation>darf geöffnet werden</translation>
    </message>
    <message>
        <source>permission denied</source>
        <translation>Zugriff verweigert</translation>
    </message>
    <message>
        <source>permission denied (group &apos;%1&apos;)</source>
        <translation>Zugriff verweigert (Gruppe &apos;%1&apos;)</translation>
    </message>
    <message>
        <source>no such device</source>
        <translation>Gerät nicht vorhanden</translation>
    </message>
    <message>
        <source>cannot be opened: %1</source>
        <translation>lässt sich nicht öffnen: %1</translation>
    </message>
    <message>
        <source>serial %1</source>
        <translation>Seriennummer %1</translation>
    </message>
    <message>
        <source>cannot list the serial ports: %1</source>
        <translation>die seriellen Schnittstellen lassen sich nicht auflisten: %1</translation>
    </message>
    <message>
        <source>permission denied (yours, mode %1: chmod u+rw)</source>
        <translation>Zugriff verweigert (gehört Ihnen, Modus %1: chmod u+rw)</translation>
    </message>
</context>
<context>
    <name>PortNaming</name>
    <message>
        <source>, serial %1</source>
        <translation>, Seriennummer %1</translation>
    </message>
    <message>
        <source>permission denied: %1 is not open to users; ask the administrator, or add a udev rule that gives it to a group for serial ports such as &apos;dialout&apos;</source>
        <translation>Zugriff verweigert: %1 ist für Benutzer nicht zugänglich; fragen Sie den Administrator, oder fügen Sie eine udev-Regel hinzu, die es einer Gruppe für serielle Schnittstellen wie &apos;dialout&apos; gibt</translation>
    </message>
    <message>
        <source>permission denied: %1 is not open to users (it belongs to the group &apos;%2&apos;); ask the administrator, or add a udev rule that gives it to a group for serial ports such as &apos;dialout&apos;</source>
        <translation>Zugriff verweigert: %1 ist für Benutzer nicht zugänglich (es gehört der Gruppe &apos;%2&apos;); fragen Sie den Administrator, oder fügen Sie eine udev-Regel hinzu, die es einer Gruppe für serielle Schnittstellen wie &apos;dialout&apos; gibt</translation>
    </message>
    <message>
        <source>permission denied: you are in the group &apos;%1&apos; that owns %2, but programs started since your last login do not have it yet: log out and back in</source>
        <translation>Zugriff verweigert: Sie sind in der Gruppe &apos;%1&apos;, der %2 gehört, aber Programme, die seit Ihrer letzten Anmeldung gestartet wurden, haben sie noch nicht: ab- und wieder anmelden</translation>
    </message>
    <message>
        <source>permission denied: join the group &apos;%1&apos; that owns %2 (sudo usermod -aG %1 $USER), then log out and back in</source>
        <translation>Zugriff verweigert: treten Sie der Gruppe &apos;%1&apos; bei, der %2 gehört (sudo usermod -aG %1 $USER), dann ab- und wieder anmelden</translation>
    </message>
    <message>
        <source>permission denied: the system refused to open %1 although its permissions let you (a security policy or a container&apos;s device rules?)</source>
        <translation>Zugriff verweigert: das System hat das Öffnen von %1 abgelehnt, obwohl die Rechte es erlauben (eine Sicherheitsrichtlinie oder die Geräteregeln eines Containers?)</translation>
    </message>
    <message>
        <source>permission denied: %1 is yours, but its mode (%2) keeps you from reading and writing it: chmod u+rw %1</source>
        <translation>Zugriff verweigert: %1 gehört Ihnen, aber sein Modus (%2) verbietet Ihnen Lesen und Schreiben: chmod u+rw %1</translation>
    </message>
    <message>
        <source>not a serial device</source>
        <translation>kein serielles Gerät</translation>
    </message>
    <message>
        <source>on a filesystem mounted nodev (device files there cannot be opened)</source>
        <translation>auf einem mit nodev eingehängten Dateisystem (Gerätedateien lassen sich dort nicht öffnen)</translation>
    </message>
</context>
<context>
    <name>SerialErrors</name>
    <message>
        <source>Unable to open com port</source>
        <translation>Die serielle Schnittstelle lässt sich nicht öffnen</translation>
    </message>
    <message>
        <source>WriteFile function failed</source>
        <translation>Funktion WriteFile fehlgeschlagen</translation>
    </message>
    <message>
        <source>ReadFile function failed</source>
        <translation>Funktion ReadFile fehlgeschlagen</translation>
    </message>
    <message>
        <source>Invalid Async parameter</source>
        <translation>Ungültiger Async-Parameter</translation>
    </message>
    <message>
        <source>PurgeComm function failed</source>
        <translation>Funktion PurgeComm fehlgeschlagen</translation>
    </message>
    <message>
        <source>Unable to get async status</source>
        <translation>Der asynchrone Status lässt sich nicht abfragen</translation>
    </message>
    <message>
        <source>SetCommState function failed</source>
        <translation>Funktion SetCommState fehlgeschlagen</translation>
    </message>
    <message>
        <source>SetCommTimeouts failed</source>
        <translation>SetCommTimeouts fehlgeschlagen</translation>
    </message>
    <message>
        <source>SetupComm function failed</source>
        <translation>Funktion SetupComm fehlgeschlagen</translation>
    </message>
    <message>
        <source>ClearCommError function failed</source>
        <translation>Funktion ClearCommError fehlgeschlagen</translation>
    </message>
    <message>
        <source>GetCommModemStatus function failed</source>
        <translation>Funktion GetCommModemStatus fehlgeschlagen</translation>
    </message>
    <message>
        <source>EscapeCommFunction function failed</source>
        <translation>Funktion EscapeCommFunction fehlgeschlagen</translation>
    </message>
    <message>
        <source>TransmitCommChar function failed</source>
        <translation>Funktion TransmitCommChar fehlgeschlagen</translation>
    </message>
    <message>
        <source>Cannot set property while connected</source>
        <translation>Die Eigenschaft lässt sich bei offener Verbindung nicht ändern</translation>
    </message>
    <message>
        <source>EnumPorts function failed</source>
        <translation>Funktion EnumPorts fehlgeschlagen</translation>
    </message>
    <message>
        <source>Failed to store settings</source>
        <translation>Die Einstellungen lassen sich nicht speichern</translation>
    </message>
    <message>
        <source>Failed to load settings</source>
        <translation>Die Einstellungen lassen sich nicht laden</translation>
    </message>
    <message>
        <source>Link (un)registration failed</source>
        <translation>An- oder Abmelden der Verknüpfung fehlgeschlagen</translation>
    </message>
    <message>
        <source>Cannot change led state if ComPort is selected</source>
        <translation>Der LED-Zustand lässt sich nicht ändern, solange ComPort gewählt ist</translation>
    </message>
    <message>
        <source>Cannot wait for event if event thread is created</source>
        <translation>Auf ein Ereignis lässt sich nicht warten, solange der Ereignis-Thread läuft</translation>
    </message>
    <message>
        <source>WaitForEvent method failed</source>
        <translation>Methode WaitForEvent fehlgeschlagen</translation>
    </message>
    <message>
        <source>A component is linked to OnRxBuf event</source>
        <translation>Eine Komponente ist mit dem Ereignis OnRxBuf verknüpft</translation>
    </message>
    <message>
        <source>Registry error</source>
        <translation>Registry-Fehler</translation>
    </message>
    <message>
        <source> (win error code: %1)</source>
        <translation> (Systemfehlercode: %1)</translation>
    </message>
</context>
<context>
    <name>StartUp</name>
    <message>
        <source>No Program is installed!</source>
        <translation>Kein Programm installiert!</translation>
    </message>
    <message>
        <source>The calibration process don&apos;t work with this version of Trakova. You must upgrade to version 6.0 or above to enable the calibration on Trakova.</source>
        <translation>Die Kalibrierung funktioniert mit dieser Version von Trakova nicht. Aktualisieren Sie Trakova auf Version 6.0 oder neuer, um die Kalibrierung darin zu ermöglichen.</translation>
    </message>
</context>
<context>
    <name>TForm1</name>
    <message>
        <source>Speed:</source>
        <translation>Tempo:</translation>
    </message>
    <message>
        <source>mph</source>
        <translation>mph</translation>
    </message>
    <message>
        <source>Target speed: %1 mph</source>
        <translation>Zieltempo: %1 mph</translation>
    </message>
    <message>
        <source>Target speed: %1 km/h</source>
        <translation>Zieltempo: %1 km/h</translation>
    </message>
    <message>
        <source>Speed: %1 mph</source>
        <translation>Tempo: %1 mph</translation>
    </message>
    <message>
        <source>Speed: %1 km/h</source>
        <translation>Tempo: %1 km/h</translation>
    </message>
    <message>
        <source>Calibration tool</source>
        <translation>Kalibrierwerkzeug</translation>
    </message>
    <message>
        <source>Calibration tool - Connected</source>
        <translation>Kalibrierwerkzeug - Verbunden</translation>
    </message>
    <message>
        <source>Disconnected</source>
        <translation>Getrennt</translation>
    </message>
</context>
<context>
    <name>TNerraProgressBar</name>
    <message>
        <source>La valeur doit être comprise entre %1 et %2</source>
        <translation>Der Wert muss zwischen %1 und %2 liegen</translation>
    </message>
    <message>
        <source>Propriété %1 hors limites</source>
        <translation>Eigenschaft %1 außerhalb des gültigen Bereichs</translation>
    </message>
</context>
<context>
    <name>TProgressDlgForm</name>
    <message>
        <source>Statut de l&apos;opération</source>
        <translation>Vorgangsstatus</translation>
    </message>
    <message>
        <source>Progression:</source>
        <translation>Fortschritt:</translation>
    </message>
    <message>
        <source>&amp;Annuler</source>
        <translation>&amp;Abbrechen</translation>
    </message>
</context>
<context>
    <name>TrainerSearch</name>
    <message>
        <source>a trainer answered</source>
        <translation>ein Rollentrainer hat geantwortet</translation>
    </message>
    <message>
        <source>opened, but no trainer answered</source>
        <translation>geöffnet, aber kein Rollentrainer hat geantwortet</translation>
    </message>
    <message>
        <source>in use by another program</source>
        <translation>von einem anderen Programm belegt</translation>
    </message>
    <message>
        <source>no such device (unplugged?)</source>
        <translation>Gerät nicht vorhanden (ausgesteckt?)</translation>
    </message>
    <message>
        <source>could not be opened: %1</source>
        <translation>ließ sich nicht öffnen: %1</translation>
    </message>
    <message>
        <source>No trainer was found.</source>
        <translation>Kein Rollentrainer gefunden.</translation>
    </message>
    <message>
        <source>This computer lists no serial port.</source>
        <translation>Dieser Computer führt keine serielle Schnittstelle.</translation>
    </message>
    <message>
        <source>(The list comes from CALIBRATION_TOOL_PORTS, which names none.)</source>
        <translation>(Die Liste stammt aus CALIBRATION_TOOL_PORTS, das keine nennt.)</translation>
    </message>
    <message>
        <source>Plug in the trainer&apos;s serial or USB-serial cable.</source>
        <translation>Schließen Sie das serielle oder USB-Seriell-Kabel des Rollentrainers an.</translation>
    </message>
    <message>
        <source>Ports tried:</source>
        <translation>Versuchte Schnittstellen:</translation>
    </message>
    <message>
        <source>Check that the trainer&apos;s console is switched on and its cable plugged in.</source>
        <translation>Prüfen Sie, ob die Konsole des Rollentrainers eingeschaltet und ihr Kabel eingesteckt ist.</translation>
    </message>
    <message>
        <source>%1 searches again; %2 quits.</source>
        <translation>%1 sucht erneut, %2 beendet das Programm.</translation>
    </message>
    <message>
        <source>Reading the com ports...</source>
        <translation>Serielle Schnittstellen werden gelesen...</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Durchgang</translation>
    </message>
    <message>
        <source>Cannot list the com ports of the computer!</source>
        <translation>Die seriellen Schnittstellen des Computers lassen sich nicht auflisten!</translation>
    </message>
    <message>
        <source>Opening port %1</source>
        <translation>Schnittstelle %1 wird geöffnet</translation>
    </message>
    <message numerus="yes">
        <source>... and %n more</source>
        <translation>
            <numerusform>... und %n weitere</numerusform>
            <numerusform>... und %n weitere</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>WindowSystem</name>
    <message>
        <source>no graphical session (neither DISPLAY nor WAYLAND_DISPLAY is set): the window cannot open; --help and --list-ports work without one</source>
        <translation>keine grafische Sitzung (weder DISPLAY noch WAYLAND_DISPLAY ist gesetzt): das Fenster kann sich nicht öffnen; --help und --list-ports gehen auch ohne</translation>
    </message>
    <message>
        <source>cannot reach the graphical session (%1): the window cannot open</source>
        <translation>die grafische Sitzung ist nicht erreichbar (%1): das Fenster kann sich nicht öffnen</translation>
    </message>
    <message>
        <source>%1 unset</source>
        <translation>%1 nicht gesetzt</translation>
    </message>
</context>
<context>
    <name>WireTrace</name>
    <message>
        <source>cannot open the trace file %1: %2</source>
        <translation>die Protokolldatei %1 lässt sich nicht öffnen: %2</translation>
    </message>
    <message>
        <source>nothing reads this FIFO yet (start its reader first)</source>
        <translation>noch liest niemand dieses FIFO (zuerst den Leser starten)</translation>
    </message>
    <message>
        <source>standard error</source>
        <translation>Standardfehlerausgabe</translation>
    </message>
    <message>
        <source>cannot write the trace to %1: %2; tracing stops</source>
        <translation>das Protokoll lässt sich nicht nach %1 schreiben: %2; die Protokollierung endet</translation>
    </message>
</context>
</TS>
