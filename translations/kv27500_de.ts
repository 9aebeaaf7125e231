<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en">
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
        <source>--no-window needs --log FILE.csv</source>
        <translation>--no-window braucht --log FILE.csv</translation>
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
        <source>Usage: %1 [options]
Shows the readings of a VELOMAX KV27500 multimeter on a serial line.

Options:
  --simulate [SCRIPT]   use the built-in simulated meter, playing SCRIPT or the
                        demo script; it is listed first in the port box
  --port DEVICE         put DEVICE at the front of the port list (repeatable)
  --autostart           press Start once the window is shown
  --snapshot FILE.png   with --readings N: after N readings save the window as
                        FILE.png and exit (implies --autostart)
  --readings N          readings to wait for before the snapshot, or to log
                        before the end with --no-window (an overload counts)
  --log FILE.csv        record every reading from the first on, appended to
                        FILE.csv (- for standard output); the header goes only
                        into a new or empty file
  --no-window           with --log: show nothing and need no display; poll the
                        --port DEVICE (or the --simulate meter), end after
                        --readings N, after --duration, on Ctrl-C or on kill,
                        and print a summary line on stderr
  --duration SECONDS    with --no-window: log this long, then end
  --help                show this text
  --version             show the version
Qt&apos;s own options (-style NAME, -platform NAME, -stylesheet FILE, ...) work too.

Keys in the window: F5 Start, Esc Stop, Ctrl+Q Exit, Ctrl+R record to a file,
Ctrl+S save the readings, Ctrl+Shift+S save a picture, Ctrl+C copy the
reading; a right click on the digits, the meter, the bar or the footer shows
them with the session&apos;s statistics.
</source>
        <translation>Aufruf: %1 [Optionen]
Zeigt Messwerte eines VELOMAX KV27500-Multimeters an einer seriellen Leitung.

Optionen:
  --simulate [SCRIPT]   das eingebaute simulierte Messgerät nutzen, das SCRIPT
                        oder die Demo abspielt; es steht zuerst in der Portliste
  --port DEVICE         DEVICE an den Anfang der Portliste stellen (mehrfach)
  --autostart           Start drücken, sobald das Fenster zu sehen ist
  --snapshot FILE.png   mit --readings N: nach N Messwerten das Fenster als
                        FILE.png speichern und enden (schließt --autostart ein)
  --readings N          Messwerte, die vor dem Bild abgewartet werden, oder mit
                        --no-window vor dem Ende aufgezeichnet (Überlauf zählt)
  --log FILE.csv        jeden Messwert vom ersten an aufzeichnen, angehängt an
                        FILE.csv (- für die Standardausgabe); die Kopfzeile nur
                        in eine neue oder leere Datei
  --no-window           mit --log: nichts anzeigen, keine Anzeige nötig; den
                        --port DEVICE (oder das mit --simulate) abfragen, nach
                        --readings N, nach --duration, bei Ctrl-C oder kill
                        enden und eine Zusammenfassung auf stderr ausgeben
  --duration SECONDS    mit --no-window: so lange aufzeichnen, dann enden
  --help                diesen Text zeigen
  --version             die Version zeigen
Auch Qt-Optionen (-style NAME, -platform NAME, -stylesheet FILE, ...) gelten.

Tasten im Fenster: F5 Start, Esc Stop, Ctrl+Q Beenden, Ctrl+R in Datei
aufzeichnen, Ctrl+S Messwerte speichern, Ctrl+Shift+S Bild speichern, Ctrl+C
Messwert kopieren; ein Rechtsklick auf Ziffern, Zeiger, Balken oder Fußzeile
zeigt sie mit der Statistik der Sitzung.
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
        <source>The limit command %1 is still running: this crossing starts no second one</source>
        <translation>Der Grenzwertbefehl %1 läuft noch: diese Überschreitung startet keinen zweiten</translation>
    </message>
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
</TS>
