<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en">
<context>
    <name>kv::Channel</name>
    <message>
        <source>standard output</source>
        <translation>die Standardausgabe</translation>
    </message>
    <message>
        <source>The log is %1 s behind and full: %2 lines dropped</source>
        <translation>Das Protokoll ist %1 s im Rückstand und voll: %2 Zeilen verloren</translation>
    </message>
    <message>
        <source>Recording to %1: %2 reading</source>
        <translation>Aufzeichnung in %1: %2 Messwert</translation>
    </message>
    <message>
        <source>Recording to %1: %2 readings</source>
        <translation>Aufzeichnung in %1: %2 Messwerte</translation>
    </message>
    <message>
        <source>%1, %2 lines dropped</source>
        <translation>%1, %2 Zeilen verloren</translation>
    </message>
    <message>
        <source>%1, begun anew: the file was moved, removed or emptied</source>
        <translation>%1, neu begonnen: die Datei wurde verschoben, entfernt oder geleert</translation>
    </message>
    <message>
        <source>%1, stops %2</source>
        <translation>%1, endet %2</translation>
    </message>
</context>
<context>
    <name>kv::ChannelPublisher</name>
    <message>
        <source>Cannot read the MQTT password file %1: %2</source>
        <translation>Die MQTT-Passwortdatei %1 ist nicht lesbar: %2</translation>
    </message>
</context>
<context>
    <name>kv::CommandLine</name>
    <message>
        <source>--port needs a device</source>
        <translation>--port braucht ein Gerät</translation>
    </message>
    <message>
        <source>--snapshot needs a file name</source>
        <translation>--snapshot braucht einen Dateinamen</translation>
    </message>
    <message>
        <source>--readings needs a whole number of at least 1</source>
        <translation>--readings braucht eine ganze Zahl ab 1</translation>
    </message>
    <message>
        <source>--log needs a file name, or - for standard output</source>
        <translation>--log braucht einen Dateinamen oder - für die Standardausgabe</translation>
    </message>
    <message>
        <source>--duration needs a number of seconds above 0</source>
        <translation>--duration braucht eine Zahl von Sekunden über 0</translation>
    </message>
    <message>
        <source>unknown argument: %1</source>
        <translation>unbekanntes Argument: %1</translation>
    </message>
    <message>
        <source>--snapshot needs --readings N</source>
        <translation>--snapshot braucht --readings N</translation>
    </message>
    <message>
        <source>--snapshot cannot be used with --no-window</source>
        <translation>--snapshot geht nicht zusammen mit --no-window</translation>
    </message>
    <message>
        <source>--no-window reads one meter: give --port DEVICE once, or --simulate</source>
        <translation>--no-window liest ein Messgerät: --port DEVICE einmal angeben oder --simulate</translation>
    </message>
    <message>
        <source>--duration is only used with --no-window</source>
        <translation>--duration gilt nur mit --no-window</translation>
    </message>
    <message>
        <source>--readings is only used with --snapshot or --no-window</source>
        <translation>--readings gilt nur mit --snapshot oder --no-window</translation>
    </message>
    <message>
        <source>%1: %2
Try &apos;%3 --help&apos;.
</source>
        <translation>%1: %2
Mehr dazu mit &apos;%3 --help&apos;.
</translation>
    </message>
    <message>
        <source>--simulate needs a script file name, or none at all</source>
        <translation>--simulate braucht einen Dateinamen für das Skript oder gar keinen</translation>
    </message>
    <message>
        <source>%1 needs a value</source>
        <translation>%1 braucht einen Wert</translation>
    </message>
    <message>
        <source>--lower needs a number</source>
        <translation>--lower braucht eine Zahl</translation>
    </message>
    <message>
        <source>--upper needs a number</source>
        <translation>--upper braucht eine Zahl</translation>
    </message>
    <message>
        <source>--on-limit needs a command</source>
        <translation>--on-limit braucht einen Befehl</translation>
    </message>
    <message>
        <source>--on-limit needs --lower or --upper</source>
        <translation>--on-limit braucht --lower oder --upper</translation>
    </message>
    <message>
        <source>a recording to open cannot be used with --no-window</source>
        <translation>eine Aufzeichnung zum Öffnen geht nicht mit --no-window</translation>
    </message>
    <message>
        <source>--mqtt needs an address: mqtt://[USER@]HOST[:PORT]/PREFIX</source>
        <translation>--mqtt braucht eine Adresse: mqtt://[USER@]HOST[:PORT]/PREFIX</translation>
    </message>
    <message>
        <source>--mqtt-password-file needs a file name</source>
        <translation>--mqtt-password-file braucht einen Dateinamen</translation>
    </message>
    <message>
        <source>--no-window needs --log FILE.csv or --mqtt URL</source>
        <translation>--no-window braucht --log FILE.csv oder --mqtt URL</translation>
    </message>
    <message>
        <source>--mqtt-password-file is only used with --mqtt</source>
        <translation>--mqtt-password-file gilt nur zusammen mit --mqtt</translation>
    </message>
    <message>
        <source>
Publishing to an MQTT broker:
  --mqtt URL            publish every reading to the broker at
                        mqtt://[USER@]HOST[:PORT]/PREFIX (mqtts:// for TLS)
                        under PREFIX/reading, PREFIX/state and PREFIX/last;
                        with the window or with --no-window, with --log or
                        without; the password comes from $KV_MQTT_PASSWORD
  --mqtt-password-file FILE
                        with --mqtt: read the password from the first line
                        of FILE instead
</source>
        <translation>
Veröffentlichen über einen MQTT-Broker:
  --mqtt URL            jeden Messwert an den Broker unter
                        mqtt://[USER@]HOST[:PORT]/PREFIX senden (mqtts:// für
                        TLS), als PREFIX/reading, PREFIX/state und PREFIX/last;
                        mit Fenster oder mit --no-window, mit --log oder ohne;
                        das Passwort kommt aus $KV_MQTT_PASSWORD
  --mqtt-password-file FILE
                        mit --mqtt: das Passwort stattdessen aus der ersten
                        Zeile von FILE lesen
</translation>
    </message>
    <message>
        <source>%1 takes no value</source>
        <translation>%1 nimmt keinen Wert an</translation>
    </message>
    <message>
        <source>%1 is given twice</source>
        <translation>%1 ist zweimal angegeben</translation>
    </message>
    <message>
        <source>--meter needs [NAME=]DEVICE</source>
        <translation>--meter braucht [NAME=]GERÄT</translation>
    </message>
    <message>
        <source>--derive needs NAME=EXPRESSION</source>
        <translation>--derive braucht NAME=AUSDRUCK</translation>
    </message>
    <message>
        <source>--meter cannot be used with --port or --simulate</source>
        <translation>--meter geht nicht zusammen mit --port oder --simulate</translation>
    </message>
    <message>
        <source>--derive needs --meter</source>
        <translation>--derive braucht --meter</translation>
    </message>
    <message>
        <source>two meters on one port: %1</source>
        <translation>zwei Messgeräte an einem Anschluss: %1</translation>
    </message>
    <message>
        <source>%1 is given twice for %2</source>
        <translation>%1 ist für %2 zweimal angegeben</translation>
    </message>
    <message>
        <source>a recording to open cannot be used with --meter</source>
        <translation>eine zu öffnende Aufzeichnung geht nicht zusammen mit --meter</translation>
    </message>
    <message>
        <source>the limits name the channel %1, which is not given</source>
        <translation>die Grenzen nennen den Kanal %1, den es nicht gibt</translation>
    </message>
    <message>
        <source>the limits of %1 are given twice</source>
        <translation>die Grenzen von %1 sind zweimal angegeben</translation>
    </message>
    <message>
        <source>
Several meters, a window each or with --no-window:
  --meter [NAME=]DEVICE read a meter on DEVICE (a port, or sim or sim:SCRIPT
                        for a simulated one) as the channel NAME, or A, B,
                        C, ... by its place; once per meter
  --derive NAME=EXPRESSION
                        a channel computed from others: X*Y, X/Y, X+Y, X-Y,
                        X*NUMBER, X/NUMBER or integral(X); the log gets a
                        channel column
  --lower NAME:VALUE, --upper NAME:VALUE
                        the limits of the channel NAME; --on-limit gets its
                        name in KV_CHANNEL
Exit closes the window of one channel, Ctrl+Q ends them all; --snapshot
FILE.png saves FILE-NAME.png of each channel.
</source>
        <translation>
Mehrere Messgeräte, je ein Fenster oder mit --no-window:
  --meter [NAME=]GERÄT  ein Messgerät an GERÄT lesen (Anschluss, oder sim bzw.
                        sim:SKRIPT für ein simuliertes) als Kanal NAME, sonst
                        A, B, C, ... nach seiner Stelle; einmal je Messgerät
  --derive NAME=AUSDRUCK
                        ein aus anderen berechneter Kanal: X*Y, X/Y, X+Y, X-Y,
                        X*ZAHL, X/ZAHL oder integral(X); das Protokoll bekommt
                        eine Spalte channel
  --lower NAME:WERT, --upper NAME:WERT
                        die Grenzen des Kanals NAME; --on-limit erhält seinen
                        Namen in KV_CHANNEL
Beenden schließt das Fenster eines Kanals, Ctrl+Q beendet alle; --snapshot
DATEI.png speichert DATEI-NAME.png für jeden Kanal.
</translation>
    </message>
    <message>
        <source>--every needs a number of seconds from 0.5 to 86400</source>
        <translation>--every braucht eine Zahl von Sekunden von 0,5 bis 86400</translation>
    </message>
    <message>
        <source>--every is only used with --log</source>
        <translation>--every wird nur mit --log verwendet</translation>
    </message>
    <message>
        <source>--start-when needs a condition</source>
        <translation>--start-when braucht eine Bedingung</translation>
    </message>
    <message>
        <source>--stop-when needs a condition</source>
        <translation>--stop-when braucht eine Bedingung</translation>
    </message>
    <message>
        <source>--start-when is only used with --log</source>
        <translation>--start-when wird nur mit --log verwendet</translation>
    </message>
    <message>
        <source>--stop-when is only used with --log</source>
        <translation>--stop-when wird nur mit --log verwendet</translation>
    </message>
    <message>
        <source>the condition names the channel %1, which is not given</source>
        <translation>die Bedingung nennt den Kanal %1, den es nicht gibt</translation>
    </message>
    <message>
        <source>--log: %1 is none of %Y, %m, %d and %H</source>
        <translation>--log: %1 ist keines von %Y, %m, %d und %H</translation>
    </message>
    <message>
        <source>--compare needs a file name</source>
        <translation>--compare braucht einen Dateinamen</translation>
    </message>
    <message>
        <source>--compare cannot be used with --no-window</source>
        <translation>--compare geht nicht mit --no-window</translation>
    </message>
    <message>
        <source>--note needs a text</source>
        <translation>--note braucht einen Text</translation>
    </message>
    <message>
        <source>--histogram cannot be used with --no-window</source>
        <translation>--histogram geht nicht mit --no-window</translation>
    </message>
    <message>
        <source>Usage: %1 [options] [FILE.csv]
Shows the readings of a VELOMAX KV27500 multimeter on a serial line.

Options:
  --simulate [SCRIPT]   use the built-in simulated meter, playing SCRIPT or the
                        demo script; it is listed first in the port box
  --port DEVICE         put DEVICE at the front of the port list (repeatable)
  --autostart           press Start once the window is shown
  --snapshot FILE.png   with --readings N: after N readings save the window as
                        FILE.png and exit (implies --autostart); FILE.svg or
                        FILE.pdf give a vector drawing, FILE@2x.png or
                        FILE@3x.png a PNG of twice or three times the pixels
  --histogram           show the chart as a histogram of its readings (Ctrl+G)
  --readings N          readings to wait for before the snapshot, or to log
                        before the end with --no-window (an overload counts)
  --log FILE.csv        record every reading from the first on, appended to
                        FILE.csv (- for standard output); the header goes only
                        into a new or empty file
  --every SECONDS       with --log: one row per interval (0.5 to 86400 s), its
                        mean, min, max and count, instead of every reading
  --start-when CONDITION, --stop-when CONDITION
                        with --log: begin the log once CONDITION holds, end it
                        when it does: above VALUE, below VALUE or outside LOW
                        HIGH, each optionally with for SECONDS
  --no-window           with --log: show nothing and need no display; poll the
                        --port DEVICE (or the --simulate meter), end after
                        --readings N, after --duration, on Ctrl-C or on kill,
                        and print a summary line on stderr
  --duration SECONDS    with --no-window: log this long, then end
  --lower VALUE         the lower limit in the unit of the first reading (a
                        decimal point or the regional character)
  --upper VALUE         the upper limit, likewise
  --on-limit COMMAND    run COMMAND (no shell) once per crossing out of the
                        limits and once per return, with KV_LIMIT (upper,
                        lower or inside), KV_VALUE, KV_UNIT and KV_TIME
  FILE.csv              show the recording FILE.csv (as Open readings, Ctrl+O,
                        does) and follow it while it grows; with --snapshot
                        FILE.png: its picture, its summary line on stderr, exit
  --note TEXT           a note on the start of the run, in the record and the
                        log (up to 200 characters)
  --compare FILE.csv    lay the recording FILE.csv in grey behind the chart&apos;s
                        line, its start at the line&apos;s (as Compare with...)
  --help                show this text
  --version             show the version
Qt&apos;s own options (-style NAME, -platform NAME, -stylesheet FILE, ...) work too.

Keys in the window: F5 Start, Esc Stop, Ctrl+Q Exit, Ctrl+R record to a file,
Ctrl+S save the readings, Ctrl+Shift+S save a picture, Ctrl+C copy the
reading, Ctrl+H hold, Ctrl+D relative, Ctrl+L limits; a right click on the
digits, the meter, the bar or the footer shows them with the session&apos;s
statistics and &quot;Show statistics&quot; for the footer. Ctrl+Plus and Ctrl+Minus
size the window from 100 % to 300 %, Ctrl+Shift+0 back to 100 %; F11 shows the
reading across the whole screen, F11 or Esc return.
Chart: Ctrl+T time axis, Ctrl+G histogram, Ctrl+0 all readings, Ctrl+1 the
last minute, Ctrl+2 the last 10 minutes, Ctrl+3 the last hour; a click sets a
marker, Delete clears the markers; Ctrl+C over the plot copies the readout or
the markers; &quot;Save chart...&quot; in the menu saves the chart alone.
</source>
        <translation>Aufruf: %1 [Optionen] [FILE.csv]
Zeigt Messwerte eines VELOMAX KV27500-Multimeters an einer seriellen Leitung.

Optionen:
  --simulate [SCRIPT]   das eingebaute simulierte Messgerät nutzen, das SCRIPT
                        oder die Demo abspielt; es steht zuerst in der Portliste
  --port DEVICE         DEVICE an den Anfang der Portliste stellen (mehrfach)
  --autostart           Start drücken, sobald das Fenster zu sehen ist
  --snapshot FILE.png   mit --readings N: nach N Messwerten das Fenster als
                        FILE.png speichern und enden (schließt --autostart ein);
                        FILE.svg, FILE.pdf: Vektorzeichnung, FILE@2x.png oder
                        FILE@3x.png: PNG mit zwei- oder dreimal so vielen Pixeln
  --histogram           das Diagramm als Histogramm seiner Messwerte (Ctrl+G)
  --readings N          Messwerte, die vor dem Bild abgewartet werden, oder mit
                        --no-window vor dem Ende aufgezeichnet (Überlauf zählt)
  --log FILE.csv        jeden Messwert vom ersten an aufzeichnen, angehängt an
                        FILE.csv (- für die Standardausgabe); die Kopfzeile nur
                        in eine neue oder leere Datei
  --every SEKUNDEN      mit --log: eine Zeile je Intervall (0,5 bis 86400 s),
                        Mittel, Minimum, Maximum und Anzahl statt jedes Werts
  --start-when BEDINGUNG, --stop-when BEDINGUNG
                        mit --log: das Protokoll beginnen, sobald BEDINGUNG
                        gilt, und beenden, wenn sie gilt: above WERT, below
                        WERT oder outside UNTEN OBEN, je wahlweise mit for SEK
  --no-window           mit --log: nichts anzeigen, keine Anzeige nötig; den
                        --port DEVICE (oder das mit --simulate) abfragen, nach
                        --readings N, nach --duration, bei Ctrl-C oder kill
                        enden und eine Zusammenfassung auf stderr ausgeben
  --duration SECONDS    mit --no-window: so lange aufzeichnen, dann enden
  --lower VALUE         der untere Grenzwert in der Einheit des ersten Messwerts
                        (mit Dezimalpunkt oder dem Zeichen der Region)
  --upper VALUE         der obere Grenzwert, ebenso
  --on-limit COMMAND    COMMAND (ohne Shell) bei jedem Verlassen der Grenzen und
                        jeder Rückkehr ausführen, mit KV_LIMIT (upper, lower
                        oder inside), KV_VALUE, KV_UNIT und KV_TIME
  FILE.csv              die Aufzeichnung FILE.csv zeigen (wie Ctrl+O) und ihr
                        folgen, solange sie wächst; mit --snapshot FILE.png:
                        ihr Bild, die Zusammenfassung auf stderr, dann Ende
  --note TEXT           eine Notiz am Anfang des Laufs, in der Aufzeichnung und
                        dem Protokoll (bis zu 200 Zeichen)
  --compare FILE.csv    die Aufzeichnung FILE.csv grau hinter die Linie legen,
                        ihr Anfang an deren Anfang (wie Vergleichen mit...)
  --help                diesen Text zeigen
  --version             die Version zeigen
Auch Qt-Optionen (-style NAME, -platform NAME, -stylesheet FILE, ...) gelten.

Tasten im Fenster: F5 Start, Esc Stop, Ctrl+Q Beenden, Ctrl+R in Datei
aufzeichnen, Ctrl+S Messwerte speichern, Ctrl+Shift+S Bild speichern, Ctrl+C
Messwert kopieren, Ctrl+H Halten, Ctrl+D Relativ, Ctrl+L Grenzwerte; ein
Rechtsklick auf Ziffern, Zeiger, Balken oder Fußzeile zeigt sie mit der
Statistik der Sitzung und &quot;Statistik zeigen&quot; für die Fußzeile. Ctrl+Plus und
Ctrl+Minus: Fenster 100 % bis 300 % groß, Ctrl+Shift+0: 100 %; F11: Messwert
über den ganzen Bildschirm, F11 oder Esc zurück.
Diagramm: Ctrl+T Zeitachse, Ctrl+G Histogramm, Ctrl+0 alles, Ctrl+1 letzte
Minute, Ctrl+2 letzte 10 Minuten, Ctrl+3 letzte Stunde; ein Klick setzt eine
Marke, Entf löscht die Marken; Ctrl+C über dem Diagramm kopiert die Anzeige
oder die Marken; &quot;Diagramm speichern...&quot; im Menü speichert das Diagramm allein.
</translation>
    </message>
    <message>
        <source>--http needs [ADDRESS:]PORT</source>
        <translation>--http braucht [ADRESSE:]PORT</translation>
    </message>
    <message>
        <source>--http-token-file needs a file name</source>
        <translation>--http-token-file braucht einen Dateinamen</translation>
    </message>
    <message>
        <source>--http-token-file is only used with --http</source>
        <translation>--http-token-file wird nur mit --http verwendet</translation>
    </message>
    <message>
        <source>
Watching from a browser (read-only):
  --http [ADDRESS:]PORT serve a page with the digits, the notes and a trend
                        of the last 10 minutes at http://ADDRESS:PORT/
                        (127.0.0.1 unless ADDRESS is given; port 0: any
                        free one), with /api/stream (Server-Sent Events),
                        /api/last and /api/readings.csv?since=TIME, each
                        with ?channel=NAME for one of several channels
  --http-token-file FILE
                        ask for the token on the first line of FILE
                        (Authorization: Bearer TOKEN or ?token=TOKEN);
                        needed for any address but a loopback one
</source>
        <translation>
Im Browser verfolgen (nur lesend):
  --http [ADRESSE:]PORT eine Seite mit Anzeige, Hinweisen und dem Verlauf
                        der letzten 10 Minuten unter http://ADRESSE:PORT/
                        bereitstellen (127.0.0.1 ohne ADRESSE; Port 0: ein
                        freier), mit /api/stream (Server-Sent Events),
                        /api/last und /api/readings.csv?since=ZEIT, jeweils
                        mit ?channel=NAME für einen von mehreren Kanälen
  --http-token-file DATEI
                        das Token aus der ersten Zeile von DATEI verlangen
                        (Authorization: Bearer TOKEN oder ?token=TOKEN);
                        nötig für jede Adresse außer einer Loopback-Adresse
</translation>
    </message>
</context>
<context>
    <name>kv::CsvFile</name>
    <message>
        <source>the file was deleted</source>
        <translation>die Datei wurde gelöscht</translation>
    </message>
    <message>
        <source>the folder %1 does not exist</source>
        <translation>den Ordner %1 gibt es nicht</translation>
    </message>
    <message>
        <source>no program reads from it</source>
        <translation>kein Programm liest daraus</translation>
    </message>
    <message>
        <source>standard output</source>
        <translation>die Standardausgabe</translation>
    </message>
    <message>
        <source>Cannot write %1: %2.</source>
        <translation>%1 lässt sich nicht schreiben: %2.</translation>
    </message>
    <message>
        <source>something other than a file took its name</source>
        <translation>etwas anderes als eine Datei trägt nun ihren Namen</translation>
    </message>
</context>
<context>
    <name>kv::CsvReader</name>
    <message>
        <source>%1 cannot be opened: %2</source>
        <translation>%1 lässt sich nicht öffnen: %2</translation>
    </message>
    <message>
        <source>%1 cannot be read: %2</source>
        <translation>%1 lässt sich nicht lesen: %2</translation>
    </message>
    <message>
        <source>%1 is a folder, not a file</source>
        <translation>%1 ist ein Ordner, keine Datei</translation>
    </message>
    <message>
        <source>%1 is empty</source>
        <translation>%1 ist leer</translation>
    </message>
    <message>
        <source>%1 is not a recording of readings: its first line does not name the columns time and value</source>
        <translation>%1 ist keine Aufzeichnung von Messwerten: ihre erste Zeile nennt die Spalten time und value nicht</translation>
    </message>
    <message>
        <source>The header of %1 has no column &apos;%2&apos;</source>
        <translation>Die Kopfzeile von %1 hat keine Spalte „%2“</translation>
    </message>
    <message>
        <source>line %1 is longer than %2 characters</source>
        <translation>Zeile %1 ist länger als %2 Zeichen</translation>
    </message>
    <message>
        <source>line %1 is cut off: the file ends in the middle of it</source>
        <translation>Zeile %1 ist abgeschnitten: die Datei endet mitten in ihr</translation>
    </message>
    <message>
        <source>One line could not be read: %1</source>
        <translation>Eine Zeile ließ sich nicht lesen: %1</translation>
    </message>
    <message>
        <source>%1 lines could not be read; the first is %2</source>
        <translation>%1 Zeilen ließen sich nicht lesen; die erste ist %2</translation>
    </message>
    <message>
        <source>line %1: a quote is not closed where the field ends</source>
        <translation>Zeile %1: ein Anführungszeichen ist am Ende des Feldes nicht geschlossen</translation>
    </message>
    <message>
        <source>line %1 has %2 fields where the header names %3</source>
        <translation>Zeile %1 hat %2 Felder, die Kopfzeile nennt %3</translation>
    </message>
    <message>
        <source>line %1: the time &apos;%2&apos; is not a time like 2026-12-08T14:03:07.125+01:00</source>
        <translation>Zeile %1: die Zeit „%2“ ist keine Zeit wie 2026-12-08T14:03:07.125+01:00</translation>
    </message>
    <message>
        <source>line %1: the status &apos;%2&apos; is none of ok, overload and gap</source>
        <translation>Zeile %1: der Status „%2“ ist weder ok noch overload noch gap</translation>
    </message>
    <message>
        <source>line %1: the value &apos;%2&apos; is not a number</source>
        <translation>Zeile %1: der Wert „%2“ ist keine Zahl</translation>
    </message>
    <message>
        <source>line %1: the code &apos;%2&apos; is not a number from 0 to 255</source>
        <translation>Zeile %1: der Code „%2“ ist keine Zahl von 0 bis 255</translation>
    </message>
    <message>
        <source>%1 is not a recording of readings: its first line is longer than %2 characters</source>
        <translation>%1 ist keine Aufzeichnung von Messwerten: ihre erste Zeile ist länger als %2 Zeichen</translation>
    </message>
    <message>
        <source>line %1: the value &apos;%2&apos; is beyond the range of the values kept (32-bit floats)</source>
        <translation>Zeile %1: der Wert „%2“ liegt außerhalb des Bereichs der gespeicherten Werte (32-Bit-Gleitkommazahlen)</translation>
    </message>
    <message>
        <source>line %1: the value &apos;%2&apos; would be kept as %3 (values are kept as 32-bit floats)</source>
        <translation>Zeile %1: der Wert „%2“ würde als %3 gespeichert (Werte werden als 32-Bit-Gleitkommazahlen gespeichert)</translation>
    </message>
</context>
<context>
    <name>kv::Derivation</name>
    <message>
        <source>%1 gives no readings.</source>
        <translation>%1 liefert keine Messwerte.</translation>
    </message>
    <message>
        <source>%1 has given no reading in the last 1.5 s.</source>
        <translation>%1 hat in den letzten 1,5 s keinen Messwert geliefert.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not one of the expressions X*Y, X/Y, X+Y, X-Y, X*NUMBER, X/NUMBER and integral(X).</source>
        <translation>&quot;%1&quot; ist keiner der Ausdrücke X*Y, X/Y, X+Y, X-Y, X*ZAHL, X/ZAHL und integral(X).</translation>
    </message>
    <message>
        <source>&quot;%1&quot; can be read in more than one way: put blanks around the minus that subtracts.</source>
        <translation>&quot;%1&quot; lässt sich auf mehr als eine Weise lesen: setzen Sie Leerzeichen um das Minus, das subtrahiert.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; divides by 0.</source>
        <translation>&quot;%1&quot; teilt durch 0.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is neither a channel name nor a number.</source>
        <translation>&quot;%1&quot; ist weder ein Kanalname noch eine Zahl.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a channel name: a name has up to 16 letters, digits, _ and -, the first a letter.</source>
        <translation>&quot;%1&quot; ist kein Kanalname: ein Name hat bis zu 16 Buchstaben, Ziffern, _ und -, zuerst einen Buchstaben.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not of the form NAME=EXPRESSION.</source>
        <translation>&quot;%1&quot; hat nicht die Form NAME=AUSDRUCK.</translation>
    </message>
    <message>
        <source>Two channels are named &quot;%1&quot;.</source>
        <translation>Zwei Kanäle heißen &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>The derived channel &quot;%1&quot; uses &quot;%2&quot;, which is no channel.</source>
        <translation>Der abgeleitete Kanal &quot;%1&quot; verwendet &quot;%2&quot;, der kein Kanal ist.</translation>
    </message>
    <message>
        <source>The derived channels depend on themselves in a cycle: %1.</source>
        <translation>Die abgeleiteten Kanäle hängen im Kreis von sich selbst ab: %1.</translation>
    </message>
    <message>
        <source>A reading without a unit cannot be computed with.</source>
        <translation>Mit einem Messwert ohne Einheit lässt sich nicht rechnen.</translation>
    </message>
    <message>
        <source>A diode test gives no quantity to compute with.</source>
        <translation>Ein Diodentest liefert keine Größe, mit der sich rechnen lässt.</translation>
    </message>
    <message>
        <source>Readings in dBm are levels on a logarithmic scale: only the difference of two has a meaning.</source>
        <translation>Messwerte in dBm sind Pegel auf einer logarithmischen Skala: nur die Differenz zweier hat eine Bedeutung.</translation>
    </message>
    <message>
        <source>Readings in %1 and %2 do not combine: one is DC, the other AC.</source>
        <translation>Messwerte in %1 und %2 lassen sich nicht verbinden: einer ist DC, der andere AC.</translation>
    </message>
    <message>
        <source>Readings in %1 and %2 cannot be added: their units differ.</source>
        <translation>Messwerte in %1 und %2 lassen sich nicht addieren: ihre Einheiten unterscheiden sich.</translation>
    </message>
    <message>
        <source>Readings in %1 and %2 cannot be subtracted: their units differ.</source>
        <translation>Messwerte in %1 und %2 lassen sich nicht subtrahieren: ihre Einheiten unterscheiden sich.</translation>
    </message>
    <message>
        <source>Readings in %1 and %2 do not multiply to a unit.</source>
        <translation>Das Produkt von Messwerten in %1 und %2 hat keine Einheit.</translation>
    </message>
    <message>
        <source>Readings in %1 divided by readings in %2 give no unit.</source>
        <translation>Messwerte in %1 geteilt durch Messwerte in %2 ergeben keine Einheit.</translation>
    </message>
    <message>
        <source>The integral of readings in %1 means nothing.</source>
        <translation>Das Integral von Messwerten in %1 bedeutet nichts.</translation>
    </message>
</context>
<context>
    <name>kv::ErrorReporter</name>
    <message>
        <source>Unknown error</source>
        <translation>Unbekannter Fehler</translation>
    </message>
</context>
<context>
    <name>kv::Hold</name>
    <message>
        <source>Hold: %1 since %2</source>
        <translation>Gehalten: %1 seit %2</translation>
    </message>
</context>
<context>
    <name>kv::LimitCommand</name>
    <message>
        <source>The limit command %1 crashed</source>
        <translation>Der Grenzwertbefehl %1 ist abgestürzt</translation>
    </message>
    <message>
        <source>The limit command %1 exited with status %2</source>
        <translation>Der Grenzwertbefehl %1 endete mit Status %2</translation>
    </message>
    <message>
        <source>The limit command %1 could not be started: %2</source>
        <translation>Der Grenzwertbefehl %1 konnte nicht gestartet werden: %2</translation>
    </message>
    <message>
        <source>The limit command %1 wrote %2 bytes more, which were left out</source>
        <translation>Der Grenzwertbefehl %1 schrieb %2 Bytes mehr, die weggelassen wurden</translation>
    </message>
    <message>
        <source>The limit command %1 was still running at one more crossing, which started no second run</source>
        <translation>Der Grenzwertbefehl %1 lief bei einer weiteren Überschreitung noch, die keinen zweiten Lauf startete</translation>
    </message>
    <message>
        <source>The limit command %1 was still running at %2 more crossings, which started no second run</source>
        <translation>Der Grenzwertbefehl %1 lief bei %2 weiteren Überschreitungen noch, die keinen zweiten Lauf starteten</translation>
    </message>
</context>
<context>
    <name>kv::LimitWatch</name>
    <message>
        <source>Limits suspended: they are in %1, the meter shows %2</source>
        <translation>Grenzwerte ausgesetzt: sie gelten in %1, das Messgerät zeigt %2</translation>
    </message>
    <message>
        <source>Above the upper limit of %1 since %2</source>
        <translation>Über dem oberen Grenzwert von %1 seit %2</translation>
    </message>
    <message>
        <source>Below the lower limit of %1 since %2</source>
        <translation>Unter dem unteren Grenzwert von %1 seit %2</translation>
    </message>
</context>
<context>
    <name>kv::Limits</name>
    <message>
        <source>The lower limit is not a number: %1</source>
        <translation>Der untere Grenzwert ist keine Zahl: %1</translation>
    </message>
    <message>
        <source>The upper limit is not a number: %1</source>
        <translation>Der obere Grenzwert ist keine Zahl: %1</translation>
    </message>
    <message>
        <source>The lower limit %1 lies above the upper limit %2.</source>
        <translation>Der untere Grenzwert %1 liegt über dem oberen Grenzwert %2.</translation>
    </message>
</context>
<context>
    <name>kv::LimitsDialog</name>
    <message>
        <source>Limits</source>
        <translation>Grenzwerte</translation>
    </message>
    <message>
        <source>Empty: no limit</source>
        <translation>Leer: kein Grenzwert</translation>
    </message>
    <message>
        <source>In %1; empty: no limit</source>
        <translation>In %1; leer: kein Grenzwert</translation>
    </message>
    <message>
        <source>&amp;Lower limit:</source>
        <translation>&amp;Unterer Grenzwert:</translation>
    </message>
    <message>
        <source>&amp;Upper limit:</source>
        <translation>&amp;Oberer Grenzwert:</translation>
    </message>
</context>
<context>
    <name>kv::LogCondition</name>
    <message>
        <source>%1 needs above VALUE, below VALUE or outside LOW HIGH, optionally with for SECONDS</source>
        <translation>%1 braucht above WERT, below WERT oder outside UNTEN OBEN, wahlweise mit for SEKUNDEN</translation>
    </message>
    <message>
        <source>%1 has a colon without a channel&apos;s name before it</source>
        <translation>%1 hat einen Doppelpunkt ohne Kanalnamen davor</translation>
    </message>
    <message>
        <source>%1 begins with &apos;%2&apos;, which is none of above, below and outside</source>
        <translation>%1 beginnt mit „%2“, das keines von above, below und outside ist</translation>
    </message>
    <message>
        <source>%1: %2 needs a value</source>
        <translation>%1: %2 braucht einen Wert</translation>
    </message>
    <message>
        <source>%1: outside needs LOW and HIGH</source>
        <translation>%1: outside braucht UNTEN und OBEN</translation>
    </message>
    <message>
        <source>%1: &apos;%2&apos; is not a number</source>
        <translation>%1: „%2“ ist keine Zahl</translation>
    </message>
    <message>
        <source>%1: outside&apos;s LOW %2 lies above its HIGH %3</source>
        <translation>%1: UNTEN %2 von outside liegt über OBEN %3</translation>
    </message>
    <message>
        <source>%1: &apos;%2&apos; is not understood here; only for SECONDS may follow</source>
        <translation>%1: „%2“ ist hier unverständlich; nur for SEKUNDEN darf folgen</translation>
    </message>
    <message>
        <source>%1: for needs a number of seconds</source>
        <translation>%1: for braucht eine Zahl von Sekunden</translation>
    </message>
    <message>
        <source>%1: for needs a number of seconds, not &apos;%2&apos;</source>
        <translation>%1: for braucht eine Zahl von Sekunden, nicht „%2“</translation>
    </message>
    <message>
        <source>above %1</source>
        <translation>über %1</translation>
    </message>
    <message>
        <source>below %1</source>
        <translation>unter %1</translation>
    </message>
    <message>
        <source>outside %1 and %2</source>
        <translation>außerhalb %1 und %2</translation>
    </message>
    <message>
        <source>%1 for %2 s</source>
        <translation>%1 für %2 s</translation>
    </message>
</context>
<context>
    <name>kv::LogConditions</name>
    <message>
        <source>stopped: %1 at %2</source>
        <translation>beendet: %1 um %2</translation>
    </message>
    <message>
        <source>Recording %1</source>
        <translation>Aufzeichnung %1</translation>
    </message>
    <message>
        <source>Waiting: logging starts when the reading is %1</source>
        <translation>Warten: die Aufzeichnung beginnt, wenn der Messwert %1 liegt</translation>
    </message>
</context>
<context>
    <name>kv::LogRun</name>
    <message>
        <source>%1 lines could not be written to the log: its reader did not keep up</source>
        <translation>%1 Zeilen konnten nicht ins Protokoll geschrieben werden: sein Leser kam nicht nach</translation>
    </message>
    <message>
        <source>The log is %1 s behind and full: readings are dropped until its reader reads again</source>
        <translation>Das Protokoll ist %1 s im Rückstand und voll: Messwerte gehen verloren, bis sein Leser wieder liest</translation>
    </message>
    <message>
        <source>The log has caught up: %1 lines were dropped</source>
        <translation>Das Protokoll hat aufgeholt: %1 Zeilen gingen verloren</translation>
    </message>
    <message>
        <source>The log has caught up</source>
        <translation>Das Protokoll hat aufgeholt</translation>
    </message>
    <message>
        <source>%1, one reading never published</source>
        <translation>%1, ein Messwert nie veröffentlicht</translation>
    </message>
    <message>
        <source>%1, %2 readings never published</source>
        <translation>%1, %2 Messwerte nie veröffentlicht</translation>
    </message>
    <message>
        <source>The log %1 was moved, removed or emptied: it goes on at that name, from a new header</source>
        <translation>Das Protokoll %1 wurde verschoben, entfernt oder geleert: es geht unter diesem Namen weiter, mit neuer Kopfzeile</translation>
    </message>
    <message>
        <source>written to %1</source>
        <translation>geschrieben in %1</translation>
    </message>
    <message>
        <source>Logging to %1: %2 readings</source>
        <translation>Aufzeichnung in %1: %2 Messwerte</translation>
    </message>
    <message>
        <source>%1 h %2 min</source>
        <translation>%1 h %2 min</translation>
    </message>
    <message>
        <source>%1 min %2 s</source>
        <translation>%1 min %2 s</translation>
    </message>
    <message>
        <source>%1 s</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>, %1 left</source>
        <translation>, noch %1</translation>
    </message>
    <message>
        <source>, %1 readings left</source>
        <translation>, noch %1 Messwerte</translation>
    </message>
    <message>
        <source>, stops %1</source>
        <translation>, endet %1</translation>
    </message>
</context>
<context>
    <name>kv::MainWindow</name>
    <message>
        <source>CSV files (*.csv)</source>
        <translation>CSV-Dateien (*.csv)</translation>
    </message>
    <message>
        <source>Record to file...</source>
        <translation>In Datei aufzeichnen...</translation>
    </message>
    <message>
        <source>Stop recording</source>
        <translation>Aufzeichnung beenden</translation>
    </message>
    <message>
        <source>Save readings...</source>
        <translation>Messwerte speichern...</translation>
    </message>
    <message>
        <source>Save picture...</source>
        <translation>Bild speichern...</translation>
    </message>
    <message>
        <source>Copy reading</source>
        <translation>Messwert kopieren</translation>
    </message>
    <message>
        <source>Time axis</source>
        <translation>Zeitachse</translation>
    </message>
    <message>
        <source>Show all</source>
        <translation>Alles zeigen</translation>
    </message>
    <message>
        <source>Last minute</source>
        <translation>Letzte Minute</translation>
    </message>
    <message>
        <source>Last 10 minutes</source>
        <translation>Letzte 10 Minuten</translation>
    </message>
    <message>
        <source>Last hour</source>
        <translation>Letzte Stunde</translation>
    </message>
    <message>
        <source>Clear markers</source>
        <translation>Marken löschen</translation>
    </message>
    <message>
        <source>Record to file</source>
        <translation>In Datei aufzeichnen</translation>
    </message>
    <message>
        <source>Save readings</source>
        <translation>Messwerte speichern</translation>
    </message>
    <message>
        <source>Save picture</source>
        <translation>Bild speichern</translation>
    </message>
    <message>
        <source>PNG pictures (*.png)</source>
        <translation>PNG-Bilder (*.png)</translation>
    </message>
    <message>
        <source>Hold</source>
        <translation>Halten</translation>
    </message>
    <message>
        <source>Relative</source>
        <translation>Relativ</translation>
    </message>
    <message>
        <source>Limits...</source>
        <translation>Grenzwerte...</translation>
    </message>
    <message>
        <source>Open readings...</source>
        <translation>Messwerte öffnen...</translation>
    </message>
    <message>
        <source>Open readings</source>
        <translation>Messwerte öffnen</translation>
    </message>
    <message>
        <source>Reading %1...</source>
        <translation>%1 wird gelesen...</translation>
    </message>
    <message>
        <source>Show statistics</source>
        <translation>Statistik zeigen</translation>
    </message>
    <message>
        <source>VELOMAX KV27500 – %1</source>
        <translation>VELOMAX KV27500 – %1</translation>
    </message>
    <message>
        <source>%1: KV27500 meter display</source>
        <translation>%1: KV27500 Messwertanzeige</translation>
    </message>
    <message>
        <source>Full-screen readout</source>
        <translation>Vollbild-Anzeige</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>%1 %</source>
        <extracomment>A size of the window in percent of its own; %1 is the number.</extracomment>
        <translation>%1 %</translation>
    </message>
    <message>
        <source>Size reduced to %1 % to fit the screen</source>
        <translation>Größe auf %1 % verkleinert, damit das Fenster auf den Bildschirm passt</translation>
    </message>
    <message>
        <source>Compare with...</source>
        <translation>Vergleichen mit...</translation>
    </message>
    <message>
        <source>Align at start</source>
        <translation>Am Anfang ausrichten</translation>
    </message>
    <message>
        <source>Clear reference</source>
        <translation>Vergleich entfernen</translation>
    </message>
    <message>
        <source>Compare with</source>
        <translation>Vergleichen mit</translation>
    </message>
    <message>
        <source>Add note...</source>
        <translation>Notiz hinzufügen...</translation>
    </message>
    <message>
        <source>Histogram</source>
        <translation>Histogramm</translation>
    </message>
    <message>
        <source>Save chart...</source>
        <translation>Diagramm speichern...</translation>
    </message>
    <message>
        <source>Save chart</source>
        <translation>Diagramm speichern</translation>
    </message>
    <message>
        <source>Size of the picture in pixels (width x height):</source>
        <translation>Größe des Bildes in Pixeln (Breite x Höhe):</translation>
    </message>
    <message>
        <source>A chart picture is 1 to %1 pixels wide and high.</source>
        <translation>Ein Bild des Diagramms ist 1 bis %1 Pixel breit und hoch.</translation>
    </message>
    <message>
        <source>SVG drawings (*.svg)</source>
        <translation>SVG-Zeichnungen (*.svg)</translation>
    </message>
    <message>
        <source>PDF documents (*.pdf)</source>
        <translation>PDF-Dokumente (*.pdf)</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>%1 lässt sich nicht schreiben: %2</translation>
    </message>
    <message>
        <source>the picture has no size</source>
        <translation>das Bild hat keine Größe</translation>
    </message>
    <message>
        <source>the picture could not be drawn</source>
        <translation>das Bild ließ sich nicht zeichnen</translation>
    </message>
</context>
<context>
    <name>kv::MeterSession</name>
    <message>
        <source>Cannot open %1.</source>
        <translation>%1 lässt sich nicht öffnen.</translation>
    </message>
</context>
<context>
    <name>kv::MqttPublisher</name>
    <message>
        <source>it does not accept this protocol version</source>
        <translation>er nimmt diese Protokollversion nicht an</translation>
    </message>
    <message>
        <source>it rejected the client identifier</source>
        <translation>er hat die Client-Kennung abgelehnt</translation>
    </message>
    <message>
        <source>the service is unavailable</source>
        <translation>der Dienst ist nicht verfügbar</translation>
    </message>
    <message>
        <source>bad user name or password</source>
        <translation>falscher Benutzername oder falsches Passwort</translation>
    </message>
    <message>
        <source>not authorised</source>
        <translation>nicht berechtigt</translation>
    </message>
    <message>
        <source>reason %1</source>
        <translation>Grund %1</translation>
    </message>
    <message>
        <source>MQTT: connecting to %1 as %2</source>
        <translation>MQTT: verbinde mit %1 als %2</translation>
    </message>
    <message>
        <source>MQTT: publishing to %1 as %2</source>
        <translation>MQTT: veröffentliche auf %1 als %2</translation>
    </message>
    <message>
        <source>MQTT: %1 unreachable since %2, %3 readings waiting</source>
        <translation>MQTT: %1 seit %2 nicht erreichbar, %3 Messwerte warten</translation>
    </message>
    <message>
        <source>MQTT: %1 unreachable since %2, %3 readings waiting, the oldest %4 dropped</source>
        <translation>MQTT: %1 seit %2 nicht erreichbar, %3 Messwerte warten, die ältesten %4 verworfen</translation>
    </message>
    <message>
        <source>MQTT: the broker refused the connection: %1</source>
        <translation>MQTT: der Broker hat die Verbindung abgelehnt: %1</translation>
    </message>
    <message>
        <source>MQTT: no secure connection to %1: its certificate was refused, or it offers no TLS on port %2</source>
        <translation>MQTT: keine sichere Verbindung zu %1: sein Zertifikat wurde abgelehnt, oder er bietet auf Port %2 kein TLS an</translation>
    </message>
</context>
<context>
    <name>kv::MqttUrl</name>
    <message>
        <source>The MQTT address is malformed: write it as mqtt://[USER@]HOST[:PORT]/TOPIC/PREFIX, or mqtts:// for TLS.</source>
        <translation>Die MQTT-Adresse ist fehlerhaft: schreiben Sie sie als mqtt://[BENUTZER@]HOST[:PORT]/THEMA/PRÄFIX, oder mqtts:// für TLS.</translation>
    </message>
    <message>
        <source>The MQTT address begins with %1://, but only mqtt:// and mqtts:// are known.</source>
        <translation>Die MQTT-Adresse beginnt mit %1://, bekannt sind aber nur mqtt:// und mqtts://.</translation>
    </message>
    <message>
        <source>The MQTT address holds a password; give it in KV_MQTT_PASSWORD or a password file instead.</source>
        <translation>Die MQTT-Adresse enthält ein Passwort; geben Sie es stattdessen in KV_MQTT_PASSWORD oder einer Passwortdatei an.</translation>
    </message>
    <message>
        <source>The MQTT port %1 is not a number from 1 to 65535.</source>
        <translation>Der MQTT-Port %1 ist keine Zahl von 1 bis 65535.</translation>
    </message>
    <message>
        <source>The MQTT address names no topic prefix after the host.</source>
        <translation>Die MQTT-Adresse nennt nach dem Host kein Themenpräfix.</translation>
    </message>
    <message>
        <source>The MQTT topic prefix %1 holds + or #, which only subscribers may use.</source>
        <translation>Das MQTT-Themenpräfix %1 enthält + oder #, die nur Abonnenten verwenden dürfen.</translation>
    </message>
    <message>
        <source>The MQTT topic prefix %1 has an empty level between its slashes.</source>
        <translation>Das MQTT-Themenpräfix %1 hat eine leere Ebene zwischen seinen Schrägstrichen.</translation>
    </message>
    <message>
        <source>The MQTT topic prefix is %1 bytes long, but MQTT allows at most %2 here.</source>
        <translation>Das MQTT-Themenpräfix ist %1 Bytes lang, MQTT erlaubt hier aber höchstens %2.</translation>
    </message>
    <message>
        <source>The MQTT topic prefix %1 begins with $, which the broker keeps for topics of its own.</source>
        <translation>Das MQTT-Themenpräfix %1 beginnt mit $, das der Broker seinen eigenen Themen vorbehält.</translation>
    </message>
</context>
<context>
    <name>kv::NoteDialog</name>
    <message>
        <source>Add note</source>
        <translation>Notiz hinzufügen</translation>
    </message>
    <message>
        <source>What happened, up to %1 characters</source>
        <translation>Was geschah, bis zu %1 Zeichen</translation>
    </message>
    <message>
        <source>&amp;Note:</source>
        <translation>&amp;Notiz:</translation>
    </message>
</context>
<context>
    <name>kv::OpenFailure</name>
    <message>
        <source>Cannot open %1: no such device.</source>
        <translation>%1 lässt sich nicht öffnen: Gerät nicht vorhanden.</translation>
    </message>
    <message>
        <source>Cannot open %1: permission denied. Add your user to the group dialout and log in again.</source>
        <translation>%1 lässt sich nicht öffnen: Zugriff verweigert. Nehmen Sie Ihren Benutzer in die Gruppe dialout auf und melden Sie sich neu an.</translation>
    </message>
    <message>
        <source>Cannot open %1: not a serial port.</source>
        <translation>%1 lässt sich nicht öffnen: keine serielle Schnittstelle.</translation>
    </message>
    <message>
        <source>Cannot open %1: in use by another program.</source>
        <translation>%1 lässt sich nicht öffnen: von einem anderen Programm belegt.</translation>
    </message>
    <message>
        <source>unknown error</source>
        <translation>unbekannter Fehler</translation>
    </message>
    <message>
        <source>Cannot open %1: %2.</source>
        <translation>%1 lässt sich nicht öffnen: %2.</translation>
    </message>
</context>
<context>
    <name>kv::PortEntry</name>
    <message>
        <source>%1 (not present)</source>
        <translation>%1 (nicht vorhanden)</translation>
    </message>
    <message>
        <source>Maker: %1</source>
        <translation>Hersteller: %1</translation>
    </message>
    <message>
        <source>Serial number: %1</source>
        <translation>Seriennummer: %1</translation>
    </message>
</context>
<context>
    <name>kv::Program</name>
    <message>
        <source>simulator: %1</source>
        <translation>Simulator: %1</translation>
    </message>
    <message>
        <source>warning: %1 does not exist</source>
        <translation>Warnung: %1 gibt es nicht</translation>
    </message>
    <message>
        <source>no display: set DISPLAY, or use --no-window / --snapshot</source>
        <translation>keine Anzeige: setzen Sie DISPLAY oder verwenden Sie --no-window / --snapshot</translation>
    </message>
    <message>
        <source>Share in the browser...</source>
        <translation>Im Browser teilen...</translation>
    </message>
</context>
<context>
    <name>kv::ReadingDisplays</name>
    <message>
        <source>Overload: the meter shows OL</source>
        <translation>Überlauf: das Messgerät zeigt OL</translation>
    </message>
    <message>
        <source>Beyond the needle&apos;s full scale of %1</source>
        <translation>Über dem Skalenendwert %1 des Zeigers</translation>
    </message>
</context>
<context>
    <name>kv::RecordDialog</name>
    <message>
        <source>Record to file</source>
        <translation>In Datei aufzeichnen</translation>
    </message>
    <message>
        <source>every reading</source>
        <translation>jeder Messwert</translation>
    </message>
    <message>
        <source>at once; or above 0.5 for 1</source>
        <translation>sofort; oder z. B. above 0,5 for 1</translation>
    </message>
    <message>
        <source>at Stop; or below 3.0</source>
        <translation>bei Stopp; oder z. B. below 3,0</translation>
    </message>
    <message>
        <source>&amp;Browse...</source>
        <translation>&amp;Durchsuchen...</translation>
    </message>
    <message>
        <source>&amp;File:</source>
        <translation>&amp;Datei:</translation>
    </message>
    <message>
        <source>&amp;Every:</source>
        <translation>&amp;Alle:</translation>
    </message>
    <message>
        <source>S&amp;tart when:</source>
        <translation>S&amp;tart, wenn:</translation>
    </message>
    <message>
        <source>St&amp;op when:</source>
        <translation>&amp;Ende, wenn:</translation>
    </message>
    <message>
        <source>Which file? Type its name or choose it with Browse...</source>
        <translation>Welche Datei? Namen eingeben oder mit Durchsuchen... wählen</translation>
    </message>
    <message>
        <source>Every needs a number of seconds from 0.5 to 86400, or nothing for every reading</source>
        <translation>Alle braucht eine Zahl von Sekunden von 0,5 bis 86400, oder nichts für jeden Messwert</translation>
    </message>
    <message>
        <source>%1 names a channel: a window records its own, so leave the name out</source>
        <translation>%1 nennt einen Kanal: ein Fenster zeichnet seinen eigenen auf, den Namen also weglassen</translation>
    </message>
</context>
<context>
    <name>kv::RecordNote</name>
    <message>
        <source>A note needs a text</source>
        <translation>Eine Notiz braucht einen Text</translation>
    </message>
    <message>
        <source>A note holds at most %1 characters; this one has %2</source>
        <translation>Eine Notiz hat höchstens %1 Zeichen; diese hat %2</translation>
    </message>
</context>
<context>
    <name>kv::RecordStatistics</name>
    <message>
        <source>%1 reading</source>
        <translation>%1 Messwert</translation>
    </message>
    <message>
        <source>%1 readings</source>
        <translation>%1 Messwerte</translation>
    </message>
    <message>
        <source>%1 gap</source>
        <translation>%1 Lücke</translation>
    </message>
    <message>
        <source>%1 gaps</source>
        <translation>%1 Lücken</translation>
    </message>
    <message>
        <source>%1 overload</source>
        <translation>%1 Überlauf</translation>
    </message>
    <message>
        <source>%1 overloads</source>
        <translation>%1 Überläufe</translation>
    </message>
    <message>
        <source>%1, min %2, max %3, mean %4, %5, %6</source>
        <translation>%1, Min. %2, Max. %3, Mittel %4, %5, %6</translation>
    </message>
    <message>
        <source>%1 garbled reply</source>
        <translation>%1 verstümmelte Antwort</translation>
    </message>
    <message>
        <source>%1 garbled replies</source>
        <translation>%1 verstümmelte Antworten</translation>
    </message>
</context>
<context>
    <name>kv::RecordingSource</name>
    <message>
        <source>%1: no readings</source>
        <translation>%1: keine Messwerte</translation>
    </message>
    <message>
        <source>%1: %2 reading from %3 to %4</source>
        <translation>%1: %2 Messwert von %3 bis %4</translation>
    </message>
    <message>
        <source>%1: %2 readings from %3 to %4</source>
        <translation>%1: %2 Messwerte von %3 bis %4</translation>
    </message>
    <message>
        <source>%1; one row is out of time order</source>
        <translation>%1; eine Zeile ist zeitlich außer der Reihe</translation>
    </message>
    <message>
        <source>%1; %2 rows are out of time order</source>
        <translation>%1; %2 Zeilen sind zeitlich außer der Reihe</translation>
    </message>
</context>
<context>
    <name>kv::ReferenceCurve</name>
    <message>
        <source>Δ reference %1</source>
        <translation>Δ Vergleich %1</translation>
    </message>
    <message>
        <source>%1 holds no reading.</source>
        <translation>%1 enthält keinen Messwert.</translation>
    </message>
    <message>
        <source>%1 is in %2 and the readings are in %3: there is nothing to compare.</source>
        <translation>%1 ist in %2 und die Messwerte sind in %3: es gibt nichts zu vergleichen.</translation>
    </message>
</context>
<context>
    <name>kv::Relative</name>
    <message>
        <source>Relative to %1</source>
        <translation>Relativ zu %1</translation>
    </message>
    <message>
        <source>Relative mode ended: the unit changed from %1 to %2</source>
        <translation>Relativmodus beendet: die Einheit wechselte von %1 zu %2</translation>
    </message>
</context>
<context>
    <name>kv::SerialLink</name>
    <message>
        <source>not a valid mode text</source>
        <translation>kein gültiger Modustext</translation>
    </message>
</context>
<context>
    <name>kv::SimulatedMeter</name>
    <message>
        <source>cannot read %1</source>
        <translation>%1 lässt sich nicht lesen</translation>
    </message>
    <message>
        <source>demo</source>
        <translation>Demo</translation>
    </message>
    <message>
        <source>KV27500 simulator</source>
        <translation>KV27500-Simulator</translation>
    </message>
</context>
<context>
    <name>kv::SnapshotRun</name>
    <message>
        <source>%1 of %2 readings came within %3 s; no picture taken</source>
        <translation>%1 von %2 Messwerten kamen binnen %3 s; kein Bild aufgenommen</translation>
    </message>
</context>
<context>
    <name>kv::Statistics</name>
    <message>
        <source>No readings in %1 yet</source>
        <translation>Noch keine Messwerte in %1</translation>
    </message>
    <message>
        <source>1 reading, min %1, max %2, mean %3</source>
        <translation>1 Messwert, Min. %1, Max. %2, Mittel %3</translation>
    </message>
    <message>
        <source>%1 readings, min %2, max %3, mean %4</source>
        <translation>%1 Messwerte, Min. %2, Max. %3, Mittel %4</translation>
    </message>
    <message>
        <source>Gaps: %1, overloads: %2</source>
        <translation>Lücken: %1, Überlastungen: %2</translation>
    </message>
    <message>
        <source>No readings yet</source>
        <translation>Noch keine Messwerte</translation>
    </message>
    <message>
        <source>Garbled replies: %1</source>
        <translation>Verstümmelte Antworten: %1</translation>
    </message>
</context>
<context>
    <name>kv::StatusNotes</name>
    <message>
        <source>The meter&apos;s replies are garbled: check the cable</source>
        <translation>Die Antworten des Messgeräts sind verstümmelt: Kabel prüfen</translation>
    </message>
    <message>
        <source>No reply from the meter since %1</source>
        <translation>Keine Antwort vom Messgerät seit %1</translation>
    </message>
    <message>
        <source>The log is %1 s behind: its reader does not keep up</source>
        <translation>Das Protokoll ist %1 s im Rückstand: sein Leser kommt nicht nach</translation>
    </message>
</context>
<context>
    <name>kv::TrendChart</name>
    <message>
        <source>%1 min %2 max %3, %4 readings</source>
        <translation>%1 min %2 max %3, %4 Messwerte</translation>
    </message>
    <message>
        <source>%1 Δ %2 n %3 min %4 max %5 mean %6 σ %7</source>
        <translation>%1 Δ %2 n %3 min %4 max %5 Mittel %6 σ %7</translation>
    </message>
    <message>
        <source>gaps %1</source>
        <translation>Lücken %1</translation>
    </message>
    <message>
        <source>overloads %1</source>
        <translation>Überlast %1</translation>
    </message>
    <message>
        <source>unit changes %1</source>
        <translation>Einheitenwechsel %1</translation>
    </message>
    <message>
        <source>No readings to count</source>
        <translation>Keine Messwerte zu zählen</translation>
    </message>
    <message>
        <source>n = %1, mean %2, σ %3</source>
        <translation>n = %1, Mittel %2, σ %3</translation>
    </message>
    <message>
        <source>%1 readings in other units</source>
        <translation>%1 Messwerte in anderen Einheiten</translation>
    </message>
    <message>
        <source>%1 to %2 %3: %4 readings</source>
        <translation>%1 bis %2 %3: %4 Messwerte</translation>
    </message>
    <message>
        <source>1 gap</source>
        <translation>1 Lücke</translation>
    </message>
    <message>
        <source>%1 gaps</source>
        <translation>%1 Lücken</translation>
    </message>
    <message>
        <source>1 overload</source>
        <translation>1 Überlastung</translation>
    </message>
    <message>
        <source>%1 overloads</source>
        <translation>%1 Überlastungen</translation>
    </message>
    <message>
        <source>left out: %1</source>
        <translation>ausgelassen: %1</translation>
    </message>
</context>
<context>
    <name>kv::WebAddress</name>
    <message>
        <source>--http wants [ADDRESS:]PORT, an IPv6 address in brackets: [::1]:8080</source>
        <translation>--http erwartet [ADRESSE:]PORT, eine IPv6-Adresse in eckigen Klammern: [::1]:8080</translation>
    </message>
    <message>
        <source>--http: &quot;%1&quot; is no port (0 to 65535)</source>
        <translation>--http: „%1“ ist kein Port (0 bis 65535)</translation>
    </message>
    <message>
        <source>--http: &quot;%1&quot; is no address</source>
        <translation>--http: „%1“ ist keine Adresse</translation>
    </message>
    <message>
        <source>--http: %1 is not an address of this machine</source>
        <translation>--http: %1 ist keine Adresse dieses Rechners</translation>
    </message>
    <message>
        <source>--http-token-file: cannot read %1: %2</source>
        <translation>--http-token-file: %1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>--http-token-file: the first line of %1 is empty</source>
        <translation>--http-token-file: die erste Zeile von %1 ist leer</translation>
    </message>
    <message>
        <source>--http on an address other than 127.0.0.1 needs --http-token-file</source>
        <translation>--http auf einer anderen Adresse als 127.0.0.1 braucht --http-token-file</translation>
    </message>
</context>
<context>
    <name>kv::WebServer</name>
    <message>
        <source>cannot listen on %1 port %2: %3</source>
        <translation>auf %1 Port %2 kann nicht gelauscht werden: %3</translation>
    </message>
</context>
<context>
    <name>kv::WebShare</name>
    <message>
        <source>the readings are shown at %1 (a token is required)</source>
        <translation>die Messwerte sind unter %1 zu sehen (ein Token ist nötig)</translation>
    </message>
    <message>
        <source>the readings are shown at %1</source>
        <translation>die Messwerte sind unter %1 zu sehen</translation>
    </message>
    <message>
        <source>Browser: %1 open, %2 dropped for not reading</source>
        <translation>Browser: %1 verbunden, %2 getrennt, weil sie nicht lasen</translation>
    </message>
    <message>
        <source>In the browser: %1 (token required)</source>
        <translation>Im Browser: %1 (Token nötig)</translation>
    </message>
    <message>
        <source>In the browser: %1</source>
        <translation>Im Browser: %1</translation>
    </message>
    <message>
        <source>Share in the browser</source>
        <translation>Im Browser teilen</translation>
    </message>
    <message>
        <source>Serve a read-only page of the readings</source>
        <translation>Eine nur lesbare Seite der Messwerte bereitstellen</translation>
    </message>
    <message>
        <source>any free port</source>
        <translation>ein freier Port</translation>
    </message>
    <message>
        <source>Address:</source>
        <translation>Adresse:</translation>
    </message>
    <message>
        <source>Port:</source>
        <translation>Port:</translation>
    </message>
    <message>
        <source>Open:</source>
        <translation>Öffnen:</translation>
    </message>
</context>
<context>
    <name>kv::sim::MeterSimulator</name>
    <message>
        <source>%1 exists and is not a symbolic link</source>
        <translation>%1 gibt es schon, und es ist kein symbolischer Link</translation>
    </message>
</context>
<context>
    <name>kv::sim::SimScript</name>
    <message>
        <source>function code must be a number from 0 to 255, not &apos;%1&apos;</source>
        <translation>der Funktionscode muss eine Zahl von 0 bis 255 sein, nicht &apos;%1&apos;</translation>
    </message>
    <message>
        <source>range code must be a number from 0 to 255, not &apos;%1&apos;</source>
        <translation>der Bereichscode muss eine Zahl von 0 bis 255 sein, nicht &apos;%1&apos;</translation>
    </message>
    <message>
        <source>expected a space and five digit characters after the range code</source>
        <translation>nach dem Bereichscode fehlen ein Leerzeichen und fünf Ziffernzeichen</translation>
    </message>
    <message>
        <source>expected exactly five digit characters, not &apos;%1&apos;</source>
        <translation>genau fünf Ziffernzeichen erwartet, nicht &apos;%1&apos;</translation>
    </message>
    <message>
        <source>digit characters may only be 0-9, &apos;?&apos; or space, not &apos;%1&apos;</source>
        <translation>Ziffernzeichen dürfen nur 0-9, &apos;?&apos; oder Leerzeichen sein, nicht &apos;%1&apos;</translation>
    </message>
    <message>
        <source>&apos;silent&apos; takes nothing after it</source>
        <translation>nach &apos;silent&apos; darf nichts folgen</translation>
    </message>
    <message>
        <source>raw bytes must be numbers from 0 to 255, not &apos;%1&apos;</source>
        <translation>Rohbytes müssen Zahlen von 0 bis 255 sein, nicht &apos;%1&apos;</translation>
    </message>
    <message>
        <source>&apos;unplug&apos; takes one time in milliseconds</source>
        <translation>&apos;unplug&apos; braucht eine Zeit in Millisekunden</translation>
    </message>
    <message>
        <source>&apos;delay&apos; takes a time in milliseconds, then F R DDDDD</source>
        <translation>&apos;delay&apos; braucht eine Zeit in Millisekunden, dann F R DDDDD</translation>
    </message>
    <message>
        <source>line %1: %2</source>
        <translation>Zeile %1: %2</translation>
    </message>
</context>
</TS>
