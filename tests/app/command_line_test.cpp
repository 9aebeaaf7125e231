#include "app/command_line.h"
#include "app/port_text.h"

#include <gtest/gtest.h>

namespace kv {
namespace {

CommandLine parseOk(const QStringList& args) {
    const CommandLineResult r = parseCommandLine(args);
    EXPECT_TRUE(r.options.has_value()) << r.error.toStdString();
    return r.options.value_or(CommandLine{});
}

TEST(CommandLine, NoArgumentsChangeNothing) {
    const CommandLine cl = parseOk({});
    EXPECT_FALSE(cl.simulate);
    EXPECT_FALSE(cl.autostart);
    EXPECT_FALSE(cl.snapshot());
    EXPECT_TRUE(cl.ports.isEmpty());
    EXPECT_FALSE(cl.help || cl.version);
}

TEST(CommandLine, SimulateTakesAnOptionalScriptButNeverAnOption) {
    EXPECT_TRUE(parseOk({"--simulate"}).simulateScript.isEmpty());
    const CommandLine a = parseOk({"--simulate", "--autostart"});
    EXPECT_TRUE(a.simulate);
    EXPECT_TRUE(a.simulateScript.isEmpty());
    EXPECT_TRUE(a.autostart);
    EXPECT_EQ(parseOk({"--simulate", "run.txt"}).simulateScript, "run.txt");
    EXPECT_EQ(parseOk({"--simulate=run.txt"}).simulateScript, "run.txt");
}

TEST(CommandLine, PortsAreKeptInTheOrderGiven) {
    const CommandLine cl = parseOk({"--port", "/dev/ttyUSB1", "--port=/dev/ttyS0"});
    EXPECT_EQ(cl.ports, QStringList({"/dev/ttyUSB1", "/dev/ttyS0"}));
    EXPECT_FALSE(parseCommandLine({"--port"}).options);
    EXPECT_FALSE(parseCommandLine({"--port", "--autostart"}).options);
}

TEST(CommandLine, SnapshotNeedsReadingsAndImpliesAutostart) {
    const CommandLine cl = parseOk({"--snapshot", "out.png", "--readings", "40"});
    EXPECT_TRUE(cl.snapshot());
    EXPECT_TRUE(cl.autostart);
    EXPECT_EQ(cl.readings, 40);
    EXPECT_EQ(cl.snapshotTimeoutMs(), 5000 + 40 * 500);

    EXPECT_FALSE(parseCommandLine({"--snapshot", "out.png"}).options);
    EXPECT_FALSE(parseCommandLine({"--readings", "3"}).options);
    EXPECT_FALSE(parseCommandLine({"--snapshot", "out.png", "--readings", "0"}).options);
    EXPECT_FALSE(parseCommandLine({"--snapshot", "out.png", "--readings", "x"}).options);
}

TEST(CommandLine, UnknownArgumentsAreRefusedWithTheirName) {
    const CommandLineResult r = parseCommandLine({"--fast"});
    EXPECT_FALSE(r.options);
    EXPECT_TRUE(r.error.contains("--fast"));
    // One argument that is no option is the recording to open; a second is refused.
    EXPECT_EQ(parseOk({"log.csv"}).openFile, "log.csv");
    EXPECT_FALSE(parseCommandLine({"log.csv", "stray"}).options);
    EXPECT_FALSE(
        parseCommandLine({"log.csv", "--no-window", "--log", "x.csv", "--simulate"}).options);
    // A picture of a recording needs no readings and presses no Start.
    EXPECT_FALSE(parseOk({"log.csv", "--snapshot", "p.png"}).autostart);
    EXPECT_TRUE(parseOk({"--help"}).help);
    EXPECT_TRUE(parseOk({"--version"}).version);
}

// Each wrong command line is told by the sentence of its first wrong argument, in the order
// given, before the options that do not go together.
TEST(CommandLine, EachWrongCommandLineIsToldByItsFirstFault) {
    const std::pair<QStringList, QString> cases[] = {
        {{"--log", "-", "--log", "b.csv"}, "--log is given twice"},
        {{"--simulate", "--simulate=run.txt"}, "--simulate is given twice"},
        {{"--snapshot", "a.png", "--readings", "2", "--readings=3"}, "--readings is given twice"},
        {{"--no-window=no", "--simulate", "--log", "x.csv"}, "--no-window takes no value"},
        {{"--help=me"}, "--help takes no value"},
        {{"--readings", "x", "--fast"}, "--readings needs a whole number of at least 1"},
        {{"--fast=1", "--readings", "x"}, "unknown argument: --fast=1"},
        {{"a.csv", "b.csv", "--port"}, "unknown argument: b.csv"},
        {{"--log", "-", "--fast", "--log", "b.csv"}, "unknown argument: --fast"},
        {{"--port", "--autostart"}, "--port needs a device"},
        {{"--port="}, "--port needs a device"},
        {{"--log", ""}, "--log needs a file name, or - for standard output"},
        {{"--simulate="}, "--simulate needs a script file name, or none at all"},
        {{"--lower", " "}, "--lower needs a number"},
        {{"--on-limit", "  ", "--upper", "1"}, "--on-limit needs a command"},
        {{"--duration", "inf", "--no-window"}, "--duration needs a number of seconds above 0"},
        {{"--"}, "unknown argument: --"},
        {{"-"}, "unknown argument: -"},
        {{""}, "unknown argument: "},
        {{"-x"}, "unknown argument: -x"},
        {{"--simulate", "-platform"}, "-platform needs a value"},
        {{"--no-window", "--log", "x.csv", "--port", "a", "--port", "b"},
         "--no-window reads one meter: give --port DEVICE once, or --simulate"},
        {{"--no-window", "--log", "x.csv", "--port", "a", "--simulate"},
         "--no-window reads one meter: give --port DEVICE once, or --simulate"},
        {{"--no-window", "--simulate", "--mqtt", "mqtt://h/p", "--snapshot", "a.png", "--readings",
          "1"},
         "--snapshot cannot be used with --no-window"},
        {{"--mqtt-password-file", "pw"}, "--mqtt-password-file is only used with --mqtt"},
        {{"--duration", "3"}, "--duration is only used with --no-window"},
        // The limits first, then the options that do not go together.
        {{"--readings", "3", "--lower", "2", "--upper", "1"},
         "The lower limit 2 lies above the upper limit 1."},
    };
    for (const auto& [args, error] : cases) {
        const CommandLineResult r = parseCommandLine(args);
        EXPECT_FALSE(r.options) << args.join(' ').toStdString();
        EXPECT_EQ(r.error, error) << args.join(' ').toStdString();
    }
}

TEST(CommandLine, ValuesThatOnlyLookLikeOptionsAreTaken) {
    const CommandLine cl = parseOk(
        {"--log", "-", "--simulate", "-", "--lower", "-3", "--port=--odd", "--upper=-1e-3"});
    EXPECT_EQ(cl.logFile, "-");
    EXPECT_EQ(cl.simulateScript, "-");
    EXPECT_EQ(cl.limits.lower, -3.0f);
    EXPECT_EQ(cl.limits.upper, -1e-3f);
    EXPECT_EQ(cl.ports, QStringList{"--odd"});
    const CommandLine h = parseOk({"--port", "-h", "-h", "--mqtt", "mqtt://h/a=b"});
    EXPECT_EQ(h.ports, QStringList{"-h"});
    EXPECT_TRUE(h.help);
    EXPECT_EQ(h.mqttUrl, "mqtt://h/a=b");
}

TEST(CommandLine, ASnapshotOfVeryManyReadingsWaitsAsLongAsATimerCan) {
    for (const char* n : {"5000000", "2147483647"})
        EXPECT_EQ(parseOk({"--snapshot", "a.png", "--readings", n}).snapshotTimeoutMs(), 2147483647)
            << n;
}

TEST(PortText, LeadingNumberMaskedToThreeBits) {
    struct Case {
        const char* text;
        int port;
    } cases[] = {
        {"1", 1},
        {"3", 3},
        {"7", 7},
        {"8", 0},
        {"10", 2},
        {"11", 3},
        {"abc", 0},
        {"", 0},
        {"2x", 2},
        {"12ab", 4},
        {" 3", 0},
        {"-1", 7},
        {"+5", 5},
        {"-", 0},
        {"99999999999999999999", 7}, // 10^20 - 1: far beyond any integer type, still 7
    };
    for (const Case& c : cases)
        EXPECT_EQ(portNumberFromText(QString::fromUtf8(c.text)), c.port) << c.text;
}

TEST(PortText, EntriesLoseTheirFirstThreeCharacters) {
    EXPECT_EQ(portEntryFromName("COM3"), "3");
    EXPECT_EQ(portEntryFromName("COM12"), "12");
    EXPECT_EQ(portEntryFromName("COM"), "");
    EXPECT_EQ(portEntryFromName("CO"), "");
}

} // namespace
} // namespace kv
