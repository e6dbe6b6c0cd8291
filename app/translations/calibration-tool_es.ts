<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es">
<context>
    <name>CalibrationSettings</name>
    <message>
        <source>Settings: %1.</source>
        <translation>Configuración: %1.</translation>
    </message>
    <message>
        <source>No settings file was found (looked for: --settings FILE, $CALIBRATION_TOOL_SETTINGS, %1, the Wine prefix&apos;s %2). Put the companion programs&apos; keys in %1, or name the file with --settings or in CALIBRATION_TOOL_SETTINGS.</source>
        <translation>No se ha encontrado ningún archivo de configuración (buscados: --settings FILE, $CALIBRATION_TOOL_SETTINGS, %1, %2 del prefijo de Wine). Ponga las claves de los programas de entrenamiento en %1, o indique el archivo con --settings o en CALIBRATION_TOOL_SETTINGS.</translation>
    </message>
    <message>
        <source>Settings read from the Wine prefix&apos;s registry %1.</source>
        <translation>Configuración leída del registro del prefijo de Wine %1.</translation>
    </message>
    <message>
        <source>Settings read from %1.</source>
        <translation>Configuración leída de %1.</translation>
    </message>
    <message>
        <source>The settings file %1 exists but cannot be read (%2): every key counts as absent.</source>
        <translation>El archivo de configuración %1 existe pero no se puede leer (%2): todas las claves cuentan como ausentes.</translation>
    </message>
    <message>
        <source>No settings file: %1, named by --settings, does not exist.</source>
        <translation>Sin archivo de configuración: %1, indicado con --settings, no existe.</translation>
    </message>
    <message>
        <source>No settings file: CALIBRATION_TOOL_SETTINGS is set but empty.</source>
        <translation>Sin archivo de configuración: CALIBRATION_TOOL_SETTINGS está definida pero vacía.</translation>
    </message>
    <message>
        <source>No settings file: %1, named in CALIBRATION_TOOL_SETTINGS, does not exist.</source>
        <translation>Sin archivo de configuración: %1, indicado en CALIBRATION_TOOL_SETTINGS, no existe.</translation>
    </message>
    <message>
        <source>cannot read the settings file &apos;%1&apos; (--settings): %2</source>
        <translation>no se puede leer el archivo de configuración &apos;%1&apos; (--settings): %2</translation>
    </message>
    <message>
        <source>No settings file: WINEPREFIX is set to &quot;%1&quot;, which is not an absolute path: Wine does not use it, and no Wine prefix is read.</source>
        <translation>Sin archivo de configuración: WINEPREFIX vale &quot;%1&quot;, que no es una ruta absoluta: Wine no lo usa y no se lee ningún prefijo de Wine.</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>play a simulated trainer: try the tool without one</source>
        <translation>simula un rodillo: para probar la herramienta sin uno</translation>
    </message>
    <message>
        <source>search only this port (a name under /dev or a path);
give it again to search more, in the order given</source>
        <translation>buscar solo en este puerto (un nombre en /dev o una
ruta); repetirla para buscar en más, en el orden dado</translation>
    </message>
    <message>
        <source>list the ports a search would try, with what the system
knows of each, and exit</source>
        <translation>lista los puertos que probaría una búsqueda, con lo que
el sistema sabe de cada uno, y sale</translation>
    </message>
    <message>
        <source>read the calibration points from this settings file</source>
        <translation>lee los puntos de calibración de este archivo</translation>
    </message>
    <message>
        <source>log every frame to and from the console, and every
open, close and repair of the port (&apos;-&apos; = stderr)</source>
        <translation>registra cada trama hacia y desde la consola, y cada
apertura, cierre y reparación del puerto (&apos;-&apos; = stderr)</translation>
    </message>
    <message>
        <source>show this help and exit</source>
        <translation>muestra esta ayuda y sale</translation>
    </message>
    <message>
        <source>show the version and exit</source>
        <translation>muestra la versión y sale</translation>
    </message>
    <message>
        <source>unrecognized option &apos;%1&apos;</source>
        <translation>opción no reconocida &apos;%1&apos;</translation>
    </message>
    <message>
        <source>option &apos;%1&apos; requires an argument</source>
        <translation>la opción &apos;%1&apos; requiere un argumento</translation>
    </message>
    <message>
        <source>option &apos;%1&apos; doesn&apos;t allow an argument</source>
        <translation>la opción &apos;%1&apos; no admite ningún argumento</translation>
    </message>
    <message>
        <source>Try &apos;calibration-tool --help&apos; for more information.</source>
        <translation>Pruebe &apos;calibration-tool --help&apos; para más información.</translation>
    </message>
    <message>
        <source>cannot start the simulated trainer: %1</source>
        <translation>no se puede iniciar el rodillo simulado: %1</translation>
    </message>
    <message>
        <source>Usage: calibration-tool [OPTION]...
Finds the trainer&apos;s console on the machine&apos;s serial ports and opens the
calibration window (P1, P2, P3 choose a calibration point).

Options:
</source>
        <translation>Uso: calibration-tool [OPCIÓN]...
Busca la consola del rodillo en los puertos serie del ordenador y abre la
ventana de calibración (P1, P2, P3 eligen un punto de calibración).

Opciones:
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
Entorno:
  CALIBRATION_TOOL_PORTS     puertos serie donde buscar, separados por comas
                             (nombres en /dev o rutas absolutas)
  CALIBRATION_TOOL_SETTINGS  el archivo de configuración (una exportación del
                             registro o el user.reg de un prefijo de Wine)
  WINEPREFIX                 el prefijo de Wine cuyo user.reg se lee cuando
                             no se encuentra otro archivo (~/.wine)
</translation>
    </message>
    <message>
        <source>extra operand &apos;%1&apos; (a port is named with --port NAME)</source>
        <translation>operando de más &apos;%1&apos; (un puerto se indica con --port NOMBRE)</translation>
    </message>
    <message>
        <source>option &apos;%1&apos; requires a non-empty argument</source>
        <translation>la opción &apos;%1&apos; requiere un argumento no vacío</translation>
    </message>
    <message>
        <source>--demo searches only its own simulated trainer: it cannot be combined with --port</source>
        <translation>--demo solo busca su propio rodillo simulado: no se puede combinar con --port</translation>
    </message>
    <message>
        <source>cannot write to standard output: %1</source>
        <translation>no se puede escribir en la salida estándar: %1</translation>
    </message>
</context>
<context>
    <name>DemoSession</name>
    <message>
        <source>the demonstration&apos;s built-in settings</source>
        <translation>la configuración integrada de la demostración</translation>
    </message>
</context>
<context>
    <name>FrameworkErrors</name>
    <message>
        <source>&apos;%1&apos; is not a valid integer value</source>
        <translation>&apos;%1&apos; no es un valor entero válido</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a valid floating point value</source>
        <translation>&apos;%1&apos; no es un número decimal válido</translation>
    </message>
    <message>
        <source>Type de données incorrect pour &apos;%1&apos;</source>
        <translation>Tipo de datos incorrecto para &apos;%1&apos;</translation>
    </message>
</context>
<context>
    <name>MessageDialog</name>
    <message>
        <source>&amp;Oui</source>
        <translation>&amp;Sí</translation>
    </message>
    <message>
        <source>&amp;Non</source>
        <translation>&amp;No</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>Aceptar</translation>
    </message>
    <message>
        <source>&amp;Annuler</source>
        <translation>&amp;Cancelar</translation>
    </message>
    <message>
        <source>&amp;Abandonner</source>
        <translation>&amp;Anular</translation>
    </message>
    <message>
        <source>&amp;Retenter</source>
        <translation>&amp;Reintentar</translation>
    </message>
    <message>
        <source>&amp;Ignorer</source>
        <translation>&amp;Omitir</translation>
    </message>
    <message>
        <source>&amp;Tous</source>
        <translation>&amp;Todos</translation>
    </message>
    <message>
        <source>N&amp;on à tout</source>
        <translation>N&amp;o a todo</translation>
    </message>
    <message>
        <source>O&amp;ui à tout</source>
        <translation>S&amp;í a todo</translation>
    </message>
    <message>
        <source>&amp;Aide</source>
        <translation>A&amp;yuda</translation>
    </message>
    <message>
        <source>Avertissement</source>
        <translation>Advertencia</translation>
    </message>
    <message>
        <source>Erreur</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>Información</translation>
    </message>
    <message>
        <source>Confirmation</source>
        <translation>Confirmación</translation>
    </message>
</context>
<context>
    <name>PortListing</name>
    <message>
        <source>may be opened</source>
        <translation>se puede abrir</translation>
    </message>
    <message>
        <source>permission denied</source>
        <translation>permiso denegado</translation>
    </message>
    <message>
        <source>permission denied (group &apos;%1&apos;)</source>
        <translation>permiso denegado (grupo &apos;%1&apos;)</translation>
    </message>
    <message>
        <source>no such device</source>
        <translation>el dispositivo no existe</translation>
    </message>
    <message>
        <source>cannot be opened: %1</source>
        <translation>no se puede abrir: %1</translation>
    </message>
    <message>
        <source>serial %1</source>
        <translation>número de serie %1</translation>
    </message>
    <message>
        <source>cannot list the serial ports: %1</source>
        <translation>no se pueden listar los puertos serie: %1</translation>
    </message>
    <message>
        <source>permission denied (yours, mode %1: chmod u+rw)</source>
        <translation>permiso denegado (es suyo, modo %1: chmod u+rw)</translation>
    </message>
</context>
<context>
    <name>PortNaming</name>
    <message>
        <source>, serial %1</source>
        <translation>, número de serie %1</translation>
    </message>
    <message>
        <source>permission denied: %1 is not open to users; ask the administrator, or add a udev rule that gives it to a group for serial ports such as &apos;dialout&apos;</source>
        <translation>permiso denegado: %1 no está abierto a los usuarios; pregunte al administrador, o añada una regla udev que lo asigne a un grupo para puertos serie como &apos;dialout&apos;</translation>
    </message>
    <message>
        <source>permission denied: %1 is not open to users (it belongs to the group &apos;%2&apos;); ask the administrator, or add a udev rule that gives it to a group for serial ports such as &apos;dialout&apos;</source>
        <translation>permiso denegado: %1 no está abierto a los usuarios (pertenece al grupo &apos;%2&apos;); pregunte al administrador, o añada una regla udev que lo asigne a un grupo para puertos serie como &apos;dialout&apos;</translation>
    </message>
    <message>
        <source>permission denied: you are in the group &apos;%1&apos; that owns %2, but programs started since your last login do not have it yet: log out and back in</source>
        <translation>permiso denegado: pertenece al grupo &apos;%1&apos; propietario de %2, pero los programas iniciados desde su último inicio de sesión aún no lo tienen: cierre la sesión y vuelva a entrar</translation>
    </message>
    <message>
        <source>permission denied: join the group &apos;%1&apos; that owns %2 (sudo usermod -aG %1 $USER), then log out and back in</source>
        <translation>permiso denegado: únase al grupo &apos;%1&apos; propietario de %2 (sudo usermod -aG %1 $USER), luego cierre la sesión y vuelva a entrar</translation>
    </message>
    <message>
        <source>permission denied: the system refused to open %1 although its permissions let you (a security policy or a container&apos;s device rules?)</source>
        <translation>permiso denegado: el sistema se negó a abrir %1 aunque sus permisos se lo permiten (¿una política de seguridad o las reglas de dispositivos de un contenedor?)</translation>
    </message>
    <message>
        <source>permission denied: %1 is yours, but its mode (%2) keeps you from reading and writing it: chmod u+rw %1</source>
        <translation>permiso denegado: %1 es suyo, pero su modo (%2) le impide leerlo y escribirlo: chmod u+rw %1</translation>
    </message>
    <message>
        <source>not a serial device</source>
        <translation>no es un dispositivo serie</translation>
    </message>
    <message>
        <source>on a filesystem mounted nodev (device files there cannot be opened)</source>
        <translation>en un sistema de archivos montado nodev (allí no se pueden abrir archivos de dispositivo)</translation>
    </message>
</context>
<context>
    <name>SerialErrors</name>
    <message>
        <source>Unable to open com port</source>
        <translation>No se puede abrir el puerto serie</translation>
    </message>
    <message>
        <source>WriteFile function failed</source>
        <translation>Ha fallado la función WriteFile</translation>
    </message>
    <message>
        <source>ReadFile function failed</source>
        <translation>Ha fallado la función ReadFile</translation>
    </message>
    <message>
        <source>Invalid Async parameter</source>
        <translation>Parámetro Async no válido</translation>
    </message>
    <message>
        <source>PurgeComm function failed</source>
        <translation>Ha fallado la función PurgeComm</translation>
    </message>
    <message>
        <source>Unable to get async status</source>
        <translation>No se puede obtener el estado asíncrono</translation>
    </message>
    <message>
        <source>SetCommState function failed</source>
        <translation>Ha fallado la función SetCommState</translation>
    </message>
    <message>
        <source>SetCommTimeouts failed</source>
        <translation>Ha fallado SetCommTimeouts</translation>
    </message>
    <message>
        <source>SetupComm function failed</source>
        <translation>Ha fallado la función SetupComm</translation>
    </message>
    <message>
        <source>ClearCommError function failed</source>
        <translation>Ha fallado la función ClearCommError</translation>
    </message>
    <message>
        <source>GetCommModemStatus function failed</source>
        <translation>Ha fallado la función GetCommModemStatus</translation>
    </message>
    <message>
        <source>EscapeCommFunction function failed</source>
        <translation>Ha fallado la función EscapeCommFunction</translation>
    </message>
    <message>
        <source>TransmitCommChar function failed</source>
        <translation>Ha fallado la función TransmitCommChar</translation>
    </message>
    <message>
        <source>Cannot set property while connected</source>
        <translation>No se puede cambiar la propiedad con la conexión abierta</translation>
    </message>
    <message>
        <source>EnumPorts function failed</source>
        <translation>Ha fallado la función EnumPorts</translation>
    </message>
    <message>
        <source>Failed to store settings</source>
        <translation>No se puede guardar la configuración</translation>
    </message>
    <message>
        <source>Failed to load settings</source>
        <translation>No se puede cargar la configuración</translation>
    </message>
    <message>
        <source>Link (un)registration failed</source>
        <translation>Ha fallado el registro (o la baja) del enlace</translation>
    </message>
    <message>
        <source>Cannot change led state if ComPort is selected</source>
        <translation>No se puede cambiar el estado del LED si ComPort está seleccionado</translation>
    </message>
    <message>
        <source>Cannot wait for event if event thread is created</source>
        <translation>No se puede esperar un evento si existe el hilo de eventos</translation>
    </message>
    <message>
        <source>WaitForEvent method failed</source>
        <translation>Ha fallado el método WaitForEvent</translation>
    </message>
    <message>
        <source>A component is linked to OnRxBuf event</source>
        <translation>Un componente está enlazado al evento OnRxBuf</translation>
    </message>
    <message>
        <source>Registry error</source>
        <translation>Error del registro</translation>
    </message>
    <message>
        <source> (win error code: %1)</source>
        <translation> (código de error del sistema: %1)</translation>
    </message>
</context>
<context>
    <name>StartUp</name>
    <message>
        <source>No Program is installed!</source>
        <translation>¡No hay ningún programa instalado!</translation>
    </message>
    <message>
        <source>The calibration process don&apos;t work with this version of Trakova. You must upgrade to version 6.0 or above to enable the calibration on Trakova.</source>
        <translation>La calibración no funciona con esta versión de Trakova. Debe actualizar Trakova a la versión 6.0 o superior para activar la calibración en él.</translation>
    </message>
</context>
<context>
    <name>TForm1</name>
    <message>
        <source>Speed:</source>
        <translation>Velocidad:</translation>
    </message>
    <message>
        <source>mph</source>
        <translation>mph</translation>
    </message>
    <message>
        <source>Target speed: %1 mph</source>
        <translation>Objetivo: %1 mph</translation>
    </message>
    <message>
        <source>Target speed: %1 km/h</source>
        <translation>Objetivo: %1 km/h</translation>
    </message>
    <message>
        <source>Speed: %1 mph</source>
        <translation>Velocidad: %1 mph</translation>
    </message>
    <message>
        <source>Speed: %1 km/h</source>
        <translation>Velocidad: %1 km/h</translation>
    </message>
    <message>
        <source>Calibration tool</source>
        <translation>Herramienta de calibración</translation>
    </message>
    <message>
        <source>Calibration tool - Connected</source>
        <translation>Herramienta de calibración - Conectado</translation>
    </message>
    <message>
        <source>Disconnected</source>
        <translation>Desconectado</translation>
    </message>
</context>
<context>
    <name>TNerraProgressBar</name>
    <message>
        <source>La valeur doit être comprise entre %1 et %2</source>
        <translation>El valor debe estar entre %1 y %2</translation>
    </message>
    <message>
        <source>Propriété %1 hors limites</source>
        <translation>Propiedad %1 fuera de los límites</translation>
    </message>
</context>
<context>
    <name>TProgressDlgForm</name>
    <message>
        <source>Statut de l&apos;opération</source>
        <translation>Estado de la operación</translation>
    </message>
    <message>
        <source>Progression:</source>
        <translation>Progreso:</translation>
    </message>
    <message>
        <source>&amp;Annuler</source>
        <translation>&amp;Cancelar</translation>
    </message>
</context>
<context>
    <name>TrainerSearch</name>
    <message>
        <source>a trainer answered</source>
        <translation>un rodillo ha respondido</translation>
    </message>
    <message>
        <source>opened, but no trainer answered</source>
        <translation>abierto, pero ningún rodillo ha respondido</translation>
    </message>
    <message>
        <source>in use by another program</source>
        <translation>en uso por otro programa</translation>
    </message>
    <message>
        <source>no such device (unplugged?)</source>
        <translation>el dispositivo no existe (¿desconectado?)</translation>
    </message>
    <message>
        <source>could not be opened: %1</source>
        <translation>no se pudo abrir: %1</translation>
    </message>
    <message>
        <source>No trainer was found.</source>
        <translation>No se ha encontrado ningún rodillo.</translation>
    </message>
    <message>
        <source>This computer lists no serial port.</source>
        <translation>Este ordenador no lista ningún puerto serie.</translation>
    </message>
    <message>
        <source>(The list comes from CALIBRATION_TOOL_PORTS, which names none.)</source>
        <translation>(La lista procede de CALIBRATION_TOOL_PORTS, que no nombra ninguno.)</translation>
    </message>
    <message>
        <source>Plug in the trainer&apos;s serial or USB-serial cable.</source>
        <translation>Conecte el cable serie o USB-serie del rodillo.</translation>
    </message>
    <message>
        <source>Ports tried:</source>
        <translation>Puertos probados:</translation>
    </message>
    <message>
        <source>Check that the trainer&apos;s console is switched on and its cable plugged in.</source>
        <translation>Compruebe que la consola del rodillo está encendida y su cable conectado.</translation>
    </message>
    <message>
        <source>%1 searches again; %2 quits.</source>
        <translation>Con %1 se busca de nuevo, con %2 se sale.</translation>
    </message>
    <message>
        <source>Reading the com ports...</source>
        <translation>Leyendo los puertos serie...</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Pasada</translation>
    </message>
    <message>
        <source>Cannot list the com ports of the computer!</source>
        <translation>¡No se pueden listar los puertos serie del ordenador!</translation>
    </message>
    <message>
        <source>Opening port %1</source>
        <translation>Abriendo el puerto %1</translation>
    </message>
    <message numerus="yes">
        <source>... and %n more</source>
        <translation>
            <numerusform>... y %n más</numerusform>
            <numerusform>... y %n más</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>WindowSystem</name>
    <message>
        <source>no graphical session (neither DISPLAY nor WAYLAND_DISPLAY is set): the window cannot open; --help and --list-ports work without one</source>
        <translation>no hay sesión gráfica (no están definidos ni DISPLAY ni WAYLAND_DISPLAY): la ventana no se puede abrir; --help y --list-ports funcionan sin ella</translation>
    </message>
    <message>
        <source>cannot reach the graphical session (%1): the window cannot open</source>
        <translation>no se puede acceder a la sesión gráfica (%1): la ventana no se puede abrir</translation>
    </message>
    <message>
        <source>%1 unset</source>
        <translation>%1 sin definir</translation>
    </message>
</context>
<context>
    <name>WireTrace</name>
    <message>
        <source>cannot open the trace file %1: %2</source>
        <translation>no se puede abrir el archivo de registro %1: %2</translation>
    </message>
    <message>
        <source>nothing reads this FIFO yet (start its reader first)</source>
        <translation>nadie lee todavía este FIFO (inicie antes su lector)</translation>
    </message>
    <message>
        <source>standard error</source>
        <translation>salida de error estándar</translation>
    </message>
    <message>
        <source>cannot write the trace to %1: %2; tracing stops</source>
        <translation>no se puede escribir el registro en %1: %2; el registro se detiene</translation>
    </message>
</context>
</TS>
