// The built program under German and English regional settings: its own texts follow the
// language, the meter's texts, the picture of the window and the CSV's words do not.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <future>
#include <gtest/gtest.h>
#include <vector>

namespace {

const QString kProgram = QStringLiteral(KV27500_PROGRAM);

struct Outcome {
    int status = -1; // -1 for a crash or a hang
    QString out, err;
};

// The program with only the given language variables set (numbers stay as in C.UTF-8
// unless LANG or LC_ALL say otherwise), without a display.
Outcome runIn(const QStringList& language, const QStringList& args, const QString& home) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* v : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG", "LC_NUMERIC", "DISPLAY",
                          "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR"})
        env.remove(v);
    env.insert("LANG", "C.UTF-8");
    for (const QString& setting : language)
        env.insert(setting.section('=', 0, 0), setting.section('=', 1));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_CONFIG_HOME", home + "/config");
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(kProgram, args);
    Outcome r;
    const bool done = p.waitForFinished(60000);
    p.kill();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    if (done && p.exitStatus() == QProcess::NormalExit)
        r.status = p.exitCode();
    return r;
}

const QStringList kGerman = {"LANG=de_DE.UTF-8"};
const QStringList kEnglish = {"LANG=en_US.UTF-8"};

class ProgramLanguage : public ::testing::Test {
protected:
    Outcome german(const QStringList& args) { return runIn(kGerman, args, dir.path()); }
    Outcome english(const QStringList& args) { return runIn(kEnglish, args, dir.path()); }
    // A file of the test's folder with the text.
    QString file(const QString& name, const QString& text) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text.toUtf8());
        return f.fileName();
    }
    QTemporaryDir dir;
};

TEST_F(ProgramLanguage, TheLanguageComesFromTheRegionalSettingsInTheOrderQtReadsThem) {
    const QString germanFirst = german({"--frobnicate"}).err;
    const QString englishFirst = english({"--frobnicate"}).err;
    ASSERT_NE(germanFirst, englishFirst);
    // LANGUAGE's list comes first, and English in it wins over a German after it; then
    // LC_ALL, LC_MESSAGES and LANG, the first one set.
    const std::pair<QStringList, QString> cases[] = {
        {{"LANGUAGE=fr:de"}, germanFirst},
        {{"LANGUAGE=en:de", "LANG=de_DE.UTF-8"}, englishFirst},
        {{"LC_ALL=de_AT.UTF-8", "LANG=en_GB.UTF-8"}, germanFirst},
        {{"LC_MESSAGES=de_CH.UTF-8"}, germanFirst},
        {{"LC_MESSAGES=C"}, englishFirst},
        {{"LANG=fr_FR.UTF-8"}, englishFirst},
    };
    for (const auto& [settings, expected] : cases)
        EXPECT_EQ(runIn(settings, {"--frobnicate"}, dir.path()).err, expected)
            << settings.join(' ').toStdString();
}

TEST_F(ProgramLanguage, AWrongArgumentIsRefusedInTheUsersLanguage) {
    const Outcome en = english({"--frobnicate"});
    const Outcome de = german({"--frobnicate"});
    EXPECT_EQ(en.status, 2);
    EXPECT_EQ(de.status, 2);
    EXPECT_EQ(en.err, "kv27500: unknown argument: --frobnicate\nTry '" + kProgram + " --help'.\n");
    EXPECT_EQ(de.err, "kv27500: unbekanntes Argument: --frobnicate\nMehr dazu mit '" + kProgram +
                          " --help'.\n");
}

TEST_F(ProgramLanguage, HelpSpeaksTheLanguageButNamesTheSameOptionsAndKeys) {
    const Outcome en = english({"--help"});
    const Outcome de = german({"--help"});
    ASSERT_EQ(en.status, 0);
    ASSERT_EQ(de.status, 0);
    EXPECT_TRUE(en.out.startsWith("Usage: kv27500 [options] [FILE.csv]\n")) << en.out.toStdString();
    EXPECT_TRUE(de.out.startsWith("Aufruf: kv27500 [Optionen] [FILE.csv]\n"))
        << de.out.toStdString();
    // Options, keys and the meter's name are the same words in every language.
    const QRegularExpression word(R"((--[a-z-]+|Ctrl\+[A-Za-z+]+|F5|Esc|KV27500))");
    auto words = [&word](const QString& text) {
        QStringList found;
        for (auto it = word.globalMatch(text); it.hasNext();)
            found << it.next().captured(1);
        found.sort();
        return found.join(' ').toStdString();
    };
    EXPECT_EQ(words(de.out), words(en.out));
    EXPECT_EQ(de.out.count('\n'), en.out.count('\n'));
    // Either fits a terminal of 80 columns.
    for (const QString& line : de.out.split('\n') + en.out.split('\n'))
        EXPECT_LE(line.size(), 80) << line.toStdString();
}

TEST_F(ProgramLanguage, TheFooterTheSummaryAndTheSimulatorSpeakTheUsersLanguage) {
    // The footer's reason reaches stderr when a snapshot waits in vain; the logger ends with
    // its summary line; a wrong simulator script is refused with the line it is on.
    const QString missing = "/dev/ttyUSB-kv27500-missing";
    const QString silent = file("silent.txt", "silent\n");
    const QString readings =
        file("readings.txt", "240 136 01234\n240 136 0?234\n" + QString("silent\n").repeated(12) +
                                 "240 136 01500\n");
    const QString wrong = file("wrong.txt", "silent now\n");
    struct Case {
        const char* what;
        QStringList args;
        QStringList english, german; // whole lines of stderr; %T stands for a time of day
    };
    const Case cases[] = {
        {"an unopenable port",
         {"--port", missing, "--snapshot", dir.filePath("a.png"), "--readings", "1"},
         {"kv27500: warning: " + missing + " does not exist",
          "kv27500: 0 of 1 readings came within 5.5 s; no picture taken",
          "kv27500: Cannot open " + missing + ": no such device."},
         {"kv27500: Warnung: " + missing + " gibt es nicht",
          "kv27500: 0 von 1 Messwerten kamen binnen 5.5 s; kein Bild aufgenommen",
          "kv27500: " + missing + " lässt sich nicht öffnen: Gerät nicht vorhanden."}},
        {"a silent meter",
         {"--simulate", silent, "--snapshot", dir.filePath("b.png"), "--readings", "1"},
         {"kv27500: No reply from the meter since %T"},
         {"kv27500: Keine Antwort vom Messgerät seit %T"}},
        {"the logger's summary",
         {"--no-window", "--simulate", readings, "--log", dir.filePath("c.csv"), "--readings", "3"},
         {"2 readings, min 1.234 V-DC, max 1.5 V-DC, mean 1.367 V-DC, 1 gap, 1 overload"},
         {"2 Messwerte, Min. 1.234 V-DC, Max. 1.5 V-DC, Mittel 1.367 V-DC, 1 Lücke, 1 Überlauf"}},
        {"a wrong script",
         {"--simulate", wrong, "--snapshot", dir.filePath("d.png"), "--readings", "1"},
         {"kv27500: simulator: " + wrong + ": line 1: 'silent' takes nothing after it"},
         {"kv27500: Simulator: " + wrong + ": Zeile 1: nach 'silent' darf nichts folgen"}},
    };
    // Every run at once: two of them wait out the snapshot's time.
    std::vector<std::future<Outcome>> runs;
    for (const Case& c : cases)
        for (const QStringList* language : {&kEnglish, &kGerman})
            runs.push_back(std::async(std::launch::async, [this, &c, language] {
                return runIn(*language, c.args, dir.path());
            }));
    auto run = runs.begin();
    for (const Case& c : cases) {
        for (const QStringList* expected : {&c.english, &c.german}) {
            const QString err = run++->get().err;
            for (const QString& line : *expected) {
                QStringList parts = line.split("%T");
                for (QString& part : parts)
                    part = QRegularExpression::escape(part);
                const QRegularExpression pattern(
                    "^" + parts.join("[0-2][0-9]:[0-5][0-9]:[0-5][0-9]") + "$",
                    QRegularExpression::MultilineOption);
                EXPECT_TRUE(pattern.match(err).hasMatch())
                    << c.what << ": no line\n  " << line.toStdString() << "\nin\n"
                    << err.toStdString();
            }
        }
    }
}

TEST_F(ProgramLanguage, ALogThatCannotBeWrittenIsExplainedInTheUsersLanguage) {
    // The text comes from the plain recording layer, translated all the same.
    const QString file = dir.filePath("missing/bench.csv");
    const QStringList args = {"--no-window", "--simulate", "--log", file, "--readings", "1"};
    const Outcome en = english(args);
    const Outcome de = german(args);
    EXPECT_EQ(en.status, 1);
    EXPECT_EQ(de.status, 1);
    EXPECT_EQ(en.err, "kv27500: Cannot write " + file + ": the folder " + dir.filePath("missing") +
                          " does not exist.\n");
    EXPECT_EQ(de.err, "kv27500: " + file + " lässt sich nicht schreiben: den Ordner " +
                          dir.filePath("missing") + " gibt es nicht.\n");
}

TEST_F(ProgramLanguage, TheWindowAndTheCsvLookTheSameInEveryLanguage) {
    // The window shows the meter's own texts (captions, units, the chart's title): a
    // German picture equals the English one where the numbers are formatted alike.
    QImage pictures[2];
    const QStringList languages[2] = {{"LANGUAGE=de"}, {"LANGUAGE=en"}};
    for (int i = 0; i < 2; ++i) {
        const QString file = dir.filePath(QString("w%1.png").arg(i));
        const Outcome r =
            runIn(languages[i], {"--simulate", "--snapshot", file, "--readings", "5"}, dir.path());
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        pictures[i] = QImage(file);
        ASSERT_FALSE(pictures[i].isNull());
    }
    EXPECT_TRUE(pictures[0] == pictures[1]);

    // The CSV's header and status words are data, not text for people.
    const Outcome de = german({"--no-window", "--simulate", "--log", "-", "--readings", "3"});
    ASSERT_EQ(de.status, 0) << de.err.toStdString();
    const QStringList lines = de.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4) << de.out.toStdString();
    EXPECT_EQ(lines[0], "time,elapsed_s,value,unit,status,function,range");
    for (int i = 1; i < 4; ++i)
        EXPECT_TRUE(lines[i].section(',', 4, 4) == "ok" || lines[i].section(',', 4, 4) == "gap")
            << lines[i].toStdString();
}

} // namespace
