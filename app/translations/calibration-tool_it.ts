<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="it">
<context>
    <name>CalibrationSettings</name>
    <message>
        <source>Settings: %1.</source>
        <translation>Impostazioni: %1.</translation>
    </message>
    <message>
        <source>No settings file was found (looked for: --settings FILE, $CALIBRATION_TOOL_SETTINGS, %1, the Wine prefix&apos;s %2). Put the companion programs&apos; keys in %1, or name the file with --settings or in CALIBRATION_TOOL_SETTINGS.</source>
        <translation>Nessun file delle impostazioni trovato (cercati: --settings FILE, $CALIBRATION_TOOL_SETTINGS, %1, %2 del prefisso Wine). Mettere le chiavi dei programmi di allenamento in %1, o indicare il file con --settings o in CALIBRATION_TOOL_SETTINGS.</translation>
    </message>
    <message>
        <source>Settings read from the Wine prefix&apos;s registry %1.</source>
        <translation>Impostazioni lette dal registro del prefisso Wine %1.</translation>
    </message>
    <message>
        <source>Settings read from %1.</source>
        <translation>Impostazioni lette da %1.</translation>
    </message>
    <message>
        <source>The settings file %1 exists but cannot be read (%2): every key counts as absent.</source>
        <translation>Il file delle impostazioni %1 esiste ma non si può leggere (%2): ogni chiave conta come assente.</translation>
    </message>
    <message>
        <source>No settings file: %1, named by --settings, does not exist.</source>
        <translation>Nessun file delle impostazioni: %1, indicato da --settings, non esiste.</translation>
    </message>
    <message>
        <source>No settings file: CALIBRATION_TOOL_SETTINGS is set but empty.</source>
        <translation>Nessun file delle impostazioni: CALIBRATION_TOOL_SETTINGS è impostata ma vuota.</translation>
    </message>
    <message>
        <source>No settings file: %1, named in CALIBRATION_TOOL_SETTINGS, does not exist.</source>
        <translation>Nessun file delle impostazioni: %1, indicato in CALIBRATION_TOOL_SETTINGS, non esiste.</translation>
    </message>
    <message>
        <source>cannot read the settings file &apos;%1&apos; (--settings): %2</source>
        <translation>impossibile leggere il file delle impostazioni &apos;%1&apos; (--settings): %2</translation>
    </message>
    <message>
        <source>No settings file: WINEPREFIX is set to &quot;%1&quot;, which is not an absolute path: Wine does not use it, and no Wine prefix is read.</source>
        <translation>Nessun file delle impostazioni: WINEPREFIX vale &quot;%1&quot;, che non è un percorso assoluto: Wine non lo usa e nessun prefisso Wine viene letto.</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>play a simulated trainer: try the tool without one</source>
        <translation>simula un rullo: per provare lo strumento senza</translation>
    </message>
    <message>
        <source>search only this port (a name under /dev or a path);
give it again to search more, in the order given</source>
        <translation>cerca solo su questa porta (un nome in /dev o un
percorso); ripeterla per altre porte, nell&apos;ordine dato</translation>
    </message>
    <message>
        <source>list the ports a search would try, with what the system
knows of each, and exit</source>
        <translation>elenca le porte che una ricerca proverebbe, con ciò che
il sistema sa di ognuna, ed esce</translation>
    </message>
    <message>
        <source>read the calibration points from this settings file</source>
        <translation>legge i punti di calibrazione da questo file</translation>
    </message>
    <message>
        <source>log every frame to and from the console, and every
open, close and repair of the port (&apos;-&apos; = stderr)</source>
        <translation>registra ogni frame verso e dalla console, e ogni
apertura, chiusura e ripristino della porta
(&apos;-&apos; = stderr)</translation>
    </message>
    <message>
        <source>show this help and exit</source>
        <translation>mostra questo aiuto ed esce</translation>
    </message>
    <message>
        <source>show the version and exit</source>
        <translation>mostra la versione ed esce</translation>
    </message>
    <message>
        <source>unrecognized option &apos;%1&apos;</source>
        <translation>opzione non riconosciuta &apos;%1&apos;</translation>
    </message>
    <message>
        <source>option &apos;%1&apos; requires an argument</source>
        <translation>l&apos;opzione &apos;%1&apos; richiede un argomento</translation>
    </message>
    <message>
        <source>option &apos;%1&apos; doesn&apos;t allow an argument</source>
        <translation>l&apos;opzione &apos;%1&apos; non accetta argomenti</translation>
    </message>
    <message>
        <source>Try &apos;calibration-tool --help&apos; for more information.</source>
        <translation>Usare &apos;calibration-tool --help&apos; per maggiori informazioni.</translation>
    </message>
    <message>
        <source>cannot start the simulated trainer: %1</source>
        <translation>impossibile avviare il rullo simulato: %1</translation>
    </message>
    <message>
        <source>Usage: calibration-tool [OPTION]...
Finds the trainer&apos;s console on the machine&apos;s serial ports and opens the
calibration window (P1, P2, P3 choose a calibration point).

Options:
</source>
        <translation>Uso: calibration-tool [OPZIONE]...
Trova la console del rullo sulle porte seriali del computer e apre la
finestra di calibrazione (P1, P2, P3 scelgono un punto di calibrazione).

Opzioni:
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
Ambiente:
  CALIBRATION_TOOL_PORTS     porte seriali da cercare, separate da virgole
                             (nomi in /dev o percorsi assoluti)
  CALIBRATION_TOOL_SETTINGS  il file delle impostazioni (un&apos;esportazione del
                             registro o lo user.reg di un prefisso Wine)
  WINEPREFIX                 il prefisso Wine il cui user.reg viene letto se
                             non si trova un altro file (~/.wine)
</translation>
    </message>
    <message>
        <source>extra operand &apos;%1&apos; (a port is named with --port NAME)</source>
        <translation>operando in più &apos;%1&apos; (una porta si indica con --port NOME)</translation>
    </message>
    <message>
        <source>option &apos;%1&apos; requires a non-empty argument</source>
        <translation>l&apos;opzione &apos;%1&apos; richiede un argomento non vuoto</translation>
    </message>
    <message>
        <source>--demo searches only its own simulated trainer: it cannot be combined with --port</source>
        <translation>--demo cerca solo il proprio rullo simulato: non si può combinare con --port</translation>
    </message>
    <message>
        <source>cannot write to standard output: %1</source>
        <translation>impossibile scrivere sullo standard output: %1</translation>
    </message>
</context>
<context>
    <name>DemoSession</name>
    <message>
        <source>the demonstration&apos;s built-in settings</source>
        <translation>le impostazioni integrate della dimostrazione</translation>
    </message>
</context>
<context>
    <name>FrameworkErrors</name>
    <message>
        <source>&apos;%1&apos; is not a valid integer value</source>
        <translation>&apos;%1&apos; non è un numero intero valido</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a valid floating point value</source>
        <translation>&apos;%1&apos; non è un numero decimale valido</translation>
    </message>
    <message>
        <source>Type de données incorrect pour &apos;%1&apos;</source>
        <translation>Tipo di dati non valido per &apos;%1&apos;</translation>
    </message>
</context>
<context>
    <name>MessageDialog</name>
    <message>
        <source>&amp;Oui</source>
        <translation>&amp;Sì</translation>
    </message>
    <message>
        <source>&amp;Non</source>
        <translation>&amp;No</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>&amp;Annuler</source>
        <translation>&amp;Annulla</translation>
    </message>
    <message>
        <source>&amp;Abandonner</source>
        <translation>&amp;Interrompi</translation>
    </message>
    <message>
        <source>&amp;Retenter</source>
        <translation>&amp;Riprova</translation>
    </message>
    <message>
        <source>&amp;Ignorer</source>
        <translation>&amp;Ignora</translation>
    </message>
    <message>
        <source>&amp;Tous</source>
        <translation>&amp;Tutti</translation>
    </message>
    <message>
        <source>N&amp;on à tout</source>
        <translation>N&amp;o a tutti</translation>
    </message>
    <message>
        <source>O&amp;ui à tout</source>
        <translation>S&amp;ì a tutti</translation>
    </message>
    <message>
        <source>&amp;Aide</source>
        <translation>&amp;Guida</translation>
    </message>
    <message>
        <source>Avertissement</source>
        <translation>Avviso</translation>
    </message>
    <message>
        <source>Erreur</source>
        <translation>Errore</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>Informazioni</translation>
    </message>
    <message>
        <source>Confirmation</source>
        <translation>Conferma</translation>
    </message>
</context>
<context>
    <name>PortListing</name>
    <message>
        <source>may be opened</source>
        <translation>apribile</translation>
    </message>
    <message>
        <source>permission denied</source>
        <translation>permesso negato</translation>
    </message>
    <message>
        <source>permission denied (group &apos;%1&apos;)</source>
        <translation>permesso negato (gruppo &apos;%1&apos;)</translation>
    </message>
    <message>
        <source>no such device</source>
        <translation>dispositivo inesistente</translation>
    </message>
    <message>
        <source>cannot be opened: %1</source>
        <translation>non apribile: %1</translation>
    </message>
    <message>
        <source>serial %1</source>
        <translation>numero di serie %1</translation>
    </message>
    <message>
        <source>cannot list the serial ports: %1</source>
        <translation>impossibile elencare le porte seriali: %1</translation>
    </message>
    <message>
        <source>permission denied (yours, mode %1: chmod u+rw)</source>
        <translation>permesso negato (dell&apos;utente, modo %1: chmod u+rw)</translation>
    </message>
</context>
<context>
    <name>PortNaming</name>
    <message>
        <source>, serial %1</source>
        <translation>, numero di serie %1</translation>
    </message>
    <message>
        <source>permission denied: %1 is not open to users; ask the administrator, or add a udev rule that gives it to a group for serial ports such as &apos;dialout&apos;</source>
        <translation>permesso negato: %1 non è accessibile agli utenti; rivolgersi all&apos;amministratore, o aggiungere una regola udev che lo assegni a un gruppo per le porte seriali come &apos;dialout&apos;</translation>
    </message>
    <message>
        <source>permission denied: %1 is not open to users (it belongs to the group &apos;%2&apos;); ask the administrator, or add a udev rule that gives it to a group for serial ports such as &apos;dialout&apos;</source>
        <translation>permesso negato: %1 non è accessibile agli utenti (appartiene al gruppo &apos;%2&apos;); rivolgersi all&apos;amministratore, o aggiungere una regola udev che lo assegni a un gruppo per le porte seriali come &apos;dialout&apos;</translation>
    </message>
    <message>
        <source>permission denied: you are in the group &apos;%1&apos; that owns %2, but programs started since your last login do not have it yet: log out and back in</source>
        <translation>permesso negato: si fa parte del gruppo &apos;%1&apos; proprietario di %2, ma i programmi avviati dall&apos;ultimo accesso non lo hanno ancora: uscire e accedere di nuovo</translation>
    </message>
    <message>
        <source>permission denied: join the group &apos;%1&apos; that owns %2 (sudo usermod -aG %1 $USER), then log out and back in</source>
        <translation>permesso negato: entrare nel gruppo &apos;%1&apos; proprietario di %2 (sudo usermod -aG %1 $USER), poi uscire e accedere di nuovo</translation>
    </message>
    <message>
        <source>permission denied: the system refused to open %1 although its permissions let you (a security policy or a container&apos;s device rules?)</source>
        <translation>permesso negato: il sistema ha rifiutato di aprire %1 anche se i suoi permessi lo consentono (una politica di sicurezza o le regole dei dispositivi di un container?)</translation>
    </message>
    <message>
        <source>permission denied: %1 is yours, but its mode (%2) keeps you from reading and writing it: chmod u+rw %1</source>
        <translation>permesso negato: %1 appartiene all&apos;utente, ma il suo modo (%2) ne impedisce lettura e scrittura: chmod u+rw %1</translation>
    </message>
    <message>
        <source>not a serial device</source>
        <translation>non è un dispositivo seriale</translation>
    </message>
    <message>
        <source>on a filesystem mounted nodev (device files there cannot be opened)</source>
        <translation>su un filesystem montato nodev (lì i file di dispositivo non si possono aprire)</translation>
    </message>
</context>
<context>
    <name>SerialErrors</name>
    <message>
        <source>Unable to open com port</source>
        <translation>Impossibile aprire la porta seriale</translation>
    </message>
    <message>
        <source>WriteFile function failed</source>
        <translation>Funzione WriteFile non riuscita</translation>
    </message>
    <message>
        <source>ReadFile function failed</source>
        <translation>Funzione ReadFile non riuscita</translation>
    </message>
    <message>
        <source>Invalid Async parameter</source>
        <translation>Parametro Async non valido</translation>
    </message>
    <message>
        <source>PurgeComm function failed</source>
        <translation>Funzione PurgeComm non riuscita</translation>
    </message>
    <message>
        <source>Unable to get async status</source>
        <translation>Impossibile ottenere lo stato asincrono</translation>
    </message>
    <message>
        <source>SetCommState function failed</source>
        <translation>Funzione SetCommState non riuscita</translation>
    </message>
    <message>
        <source>SetCommTimeouts failed</source>
        <translation>SetCommTimeouts non riuscita</translation>
    </message>
    <message>
        <source>SetupComm function failed</source>
        <translation>Funzione SetupComm non riuscita</translation>
    </message>
    <message>
        <source>ClearCommError function failed</source>
        <translation>Funzione ClearCommError non riuscita</translation>
    </message>
    <message>
        <source>GetCommModemStatus function failed</source>
        <translation>Funzione GetCommModemStatus non riuscita</translation>
    </message>
    <message>
        <source>EscapeCommFunction function failed</source>
        <translation>Funzione EscapeCommFunction non riuscita</translation>
    </message>
    <message>
        <source>TransmitCommChar function failed</source>
        <translation>Funzione TransmitCommChar non riuscita</translation>
    </message>
    <message>
        <source>Cannot set property while connected</source>
        <translation>Impossibile cambiare la proprietà mentre la porta è aperta</translation>
    </message>
    <message>
        <source>EnumPorts function failed</source>
        <translation>Funzione EnumPorts non riuscita</translation>
    </message>
    <message>
        <source>Failed to store settings</source>
        <translation>Impossibile salvare le impostazioni</translation>
    </message>
    <message>
        <source>Failed to load settings</source>
        <translation>Impossibile caricare le impostazioni</translation>
    </message>
    <message>
        <source>Link (un)registration failed</source>
        <translation>Registrazione (o cancellazione) del collegamento non riuscita</translation>
    </message>
    <message>
        <source>Cannot change led state if ComPort is selected</source>
        <translation>Impossibile cambiare lo stato del LED se ComPort è selezionato</translation>
    </message>
    <message>
        <source>Cannot wait for event if event thread is created</source>
        <translation>Impossibile attendere un evento se il thread degli eventi esiste</translation>
    </message>
    <message>
        <source>WaitForEvent method failed</source>
        <translation>Metodo WaitForEvent non riuscito</translation>
    </message>
    <message>
        <source>A component is linked to OnRxBuf event</source>
        <translation>Un componente è collegato all&apos;evento OnRxBuf</translation>
    </message>
    <message>
        <source>Registry error</source>
        <translation>Errore del registro</translation>
    </message>
    <message>
        <source> (win error code: %1)</source>
        <translation> (codice di errore di sistema: %1)</translation>
    </message>
</context>
<context>
    <name>StartUp</name>
    <message>
        <source>No Program is installed!</source>
        <translation>Nessun programma installato!</translation>
    </message>
    <message>
        <source>The calibration process don&apos;t work with this version of Trakova. You must upgrade to version 6.0 or above to enable the calibration on Trakova.</source>
        <translation>La calibrazione non funziona con questa versione di Trakova. Per abilitare la calibrazione in Trakova bisogna aggiornarlo alla versione 6.0 o successiva.</translation>
    </message>
</context>
<context>
    <name>TForm1</name>
    <message>
        <source>Speed:</source>
        <translation>Velocità:</translation>
    </message>
    <message>
        <source>mph</source>
        <translation>mph</translation>
    </message>
    <message>
        <source>Target speed: %1 mph</source>
        <translation>Obiettivo: %1 mph</translation>
    </message>
    <message>
        <source>Target speed: %1 km/h</source>
        <translation>Obiettivo: %1 km/h</translation>
    </message>
    <message>
        <source>Speed: %1 mph</source>
        <translation>Velocità: %1 mph</translation>
    </message>
    <message>
        <source>Speed: %1 km/h</source>
        <translation>Velocità: %1 km/h</translation>
    </message>
    <message>
        <source>Calibration tool</source>
        <translation>Strumento di calibrazione</translation>
    </message>
    <message>
        <source>Calibration tool - Connected</source>
        <translation>Strumento di calibrazione - Connesso</translation>
    </message>
    <message>
        <source>Disconnected</source>
        <translation>Disconnesso</translation>
    </message>
</context>
<context>
    <name>TNerraProgressBar</name>
    <message>
        <source>La valeur doit être comprise entre %1 et %2</source>
        <translation>Il valore deve essere compreso tra %1 e %2</translation>
    </message>
    <message>
        <source>Propriété %1 hors limites</source>
        <translation>Proprietà %1 fuori dai limiti</translation>
    </message>
</context>
<context>
    <name>TProgressDlgForm</name>
    <message>
        <source>Statut de l&apos;opération</source>
        <translation>Stato dell&apos;operazione</translation>
    </message>
    <message>
        <source>Progression:</source>
        <translation>Avanzamento:</translation>
    </message>
    <message>
        <source>&amp;Annuler</source>
        <translation>&amp;Annulla</translation>
    </message>
</context>
<context>
    <name>TrainerSearch</name>
    <message>
        <source>a trainer answered</source>
        <translation>un rullo ha risposto</translation>
    </message>
    <message>
        <source>opened, but no trainer answered</source>
        <translation>aperta, ma nessun rullo ha risposto</translation>
    </message>
    <message>
        <source>in use by another program</source>
        <translation>in uso da un altro programma</translation>
    </message>
    <message>
        <source>no such device (unplugged?)</source>
        <translation>dispositivo inesistente (scollegato?)</translation>
    </message>
    <message>
        <source>could not be opened: %1</source>
        <translation>impossibile aprirla: %1</translation>
    </message>
    <message>
        <source>No trainer was found.</source>
        <translation>Nessun rullo trovato.</translation>
    </message>
    <message>
        <source>This computer lists no serial port.</source>
        <translation>Questo computer non elenca alcuna porta seriale.</translation>
    </message>
    <message>
        <source>(The list comes from CALIBRATION_TOOL_PORTS, which names none.)</source>
        <translation>(L&apos;elenco viene da CALIBRATION_TOOL_PORTS, che non ne nomina nessuna.)</translation>
    </message>
    <message>
        <source>Plug in the trainer&apos;s serial or USB-serial cable.</source>
        <translation>Collegare il cavo seriale o USB-seriale del rullo.</translation>
    </message>
    <message>
        <source>Ports tried:</source>
        <translation>Porte provate:</translation>
    </message>
    <message>
        <source>Check that the trainer&apos;s console is switched on and its cable plugged in.</source>
        <translation>Verificare che la console del rullo sia accesa e il suo cavo collegato.</translation>
    </message>
    <message>
        <source>%1 searches again; %2 quits.</source>
        <translation>Con %1 si cerca di nuovo, con %2 si esce.</translation>
    </message>
    <message>
        <source>Reading the com ports...</source>
        <translation>Lettura delle porte seriali...</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Giro</translation>
    </message>
    <message>
        <source>Cannot list the com ports of the computer!</source>
        <translation>Impossibile elencare le porte seriali del computer!</translation>
    </message>
    <message>
        <source>Opening port %1</source>
        <translation>Apertura della porta %1</translation>
    </message>
    <message numerus="yes">
        <source>... and %n more</source>
        <translation>
            <numerusform>... e ancora %n</numerusform>
            <numerusform>... e ancora %n</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>WindowSystem</name>
    <message>
        <source>no graphical session (neither DISPLAY nor WAYLAND_DISPLAY is set): the window cannot open; --help and --list-ports work without one</source>
        <translation>nessuna sessione grafica (né DISPLAY né WAYLAND_DISPLAY sono impostati): la finestra non può aprirsi; --help e --list-ports funzionano anche senza</translation>
    </message>
    <message>
        <source>cannot reach the graphical session (%1): the window cannot open</source>
        <translation>impossibile raggiungere la sessione grafica (%1): la finestra non può aprirsi</translation>
    </message>
    <message>
        <source>%1 unset</source>
        <translation>%1 non impostata</translation>
    </message>
</context>
<context>
    <name>WireTrace</name>
    <message>
        <source>cannot open the trace file %1: %2</source>
        <translation>impossibile aprire il file di traccia %1: %2</translation>
    </message>
    <message>
        <source>nothing reads this FIFO yet (start its reader first)</source>
        <translation>nessuno legge ancora questa FIFO (avviare prima il lettore)</translation>
    </message>
    <message>
        <source>standard error</source>
        <translation>standard error</translation>
    </message>
    <message>
        <source>cannot write the trace to %1: %2; tracing stops</source>
        <translation>impossibile scrivere la traccia su %1: %2; la traccia si ferma</translation>
    </message>
</context>
</TS>
