#include "record/recorder.h"
#include "record_files.h"
#include "support/comma_numeric_locale.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

#include <charconv>
#include <csignal>
#include <fcntl.h>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kv {
namespace {

using test::CsvRows;
using test::csvRowsOf;
using test::readFile;
using test::TempFolder;
using test::TimeZone;
using Fields = std::vector<std::string>;

constexpr TimeMs kWinter = 1796734987125;       // 2026-12-08T13:03:07.125Z
constexpr TimeMs kSummer = 1782900000005;       // 2026-07-01T10:00:00.005Z
constexpr TimeMs kBeforeSpring = 1774745999999; // 2026-03-29T00:59:59.999Z, CET ends 1 ms later
const Fields kHeader = {"time", "elapsed_s", "value", "unit", "status", "function", "range"};

TEST(CsvLog, ASessionWithEveryKindOfRowReadsBackStrictlyFromLogAndExport) {
    TimeZone tz("UTC");
    TempFolder dir;
    Recorder rec;
    ASSERT_TRUE(rec.openLog(dir / "log.csv")) << rec.logError();
    rec.start(kWinter);
    rec.addReading(kWinter + 100, 1.234f, "V-DC", 240, 136);
    rec.addReading(kWinter + 300, 0.47f, "V-DC", 240, 136);
    rec.addGap();
    rec.addGap(); // the same silence
    rec.addOverload(kWinter + 2000, "°C", 192, 200);
    rec.addReading(kWinter + 2100, 12.5f, "A, \"peak\"", 168, 128);
    rec.addReading(kWinter + 12300, 1234.0f, "Ohm", 225, 128);
    const CsvRows expected = {
        kHeader,
        {"2026-12-08T13:03:07.225+00:00", "0.100", "1.234", "V-DC", "ok", "240", "136"},
        {"2026-12-08T13:03:07.425+00:00", "0.300", "0.47", "V-DC", "ok", "240", "136"},
        {"2026-12-08T13:03:07.425+00:00", "0.300", "", "V-DC", "gap", "240", "136"},
        {"2026-12-08T13:03:09.125+00:00", "2.000", "", "°C", "overload", "192", "200"},
        {"2026-12-08T13:03:09.225+00:00", "2.100", "12.5", "A, \"peak\"", "ok", "168", "128"},
        {"2026-12-08T13:03:19.425+00:00", "12.300", "1234", "Ohm", "ok", "225", "128"},
    };
    EXPECT_EQ(csvRowsOf(dir / "log.csv"), expected);
    std::string error;
    ASSERT_TRUE(rec.exportCsv(dir / "export.csv", error)) << error;
    EXPECT_EQ(readFile(dir / "export.csv"), readFile(dir / "log.csv"));
    // Row 3 marks the change of unit: no reading, no line.
    EXPECT_EQ(rec.csvLine(3), "");
    EXPECT_EQ(rec.csvLine(4), "2026-12-08T13:03:09.125+00:00,2.000,,°C,overload,192,200\n");
}

TEST(CsvLog, TimeCarriesMillisecondsAndTheOffsetOfTheZoneInForce) {
    struct Case {
        const char* tz;
        TimeMs time;
        const char* text;
    };
    const Case cases[] = {
        {"UTC", kSummer, "2026-07-01T10:00:00.005+00:00"},
        {"Europe/Berlin", kWinter, "2026-12-08T14:03:07.125+01:00"},
        {"Europe/Berlin", kSummer, "2026-07-01T12:00:00.005+02:00"},
        {"Europe/Berlin", kBeforeSpring, "2026-03-29T01:59:59.999+01:00"},
        {"Europe/Berlin", kBeforeSpring + 1, "2026-03-29T03:00:00.000+02:00"},
        {"<-0330>3:30", kWinter, "2026-12-08T09:33:07.125-03:30"},
        {"UTC", -1, "1969-12-31T23:59:59.999+00:00"},
    };
    if (access("/usr/share/zoneinfo/Europe/Berlin", R_OK) != 0)
        GTEST_SKIP() << "no time zone data";
    for (const Case& c : cases) {
        TimeZone tz(c.tz);
        Recorder rec;
        rec.start(c.time);
        rec.addReading(c.time, 1, "V-DC", 240, 136);
        EXPECT_EQ(rec.csvLine(0), std::string(c.text) + ",0.000,1,V-DC,ok,240,136\n") << c.tz;
    }
}

TEST(CsvLog, ValuesAreShortestPlainDecimalsUnderADecimalCommaLocale) {
    test::CommaNumericLocale locale;
    if (!locale.active())
        GTEST_SKIP() << "no locale with a decimal comma";
    const std::pair<float, const char*> cases[] = {
        {1.234f, "1.234"},   {0.47f, "0.47"},     {1234.0f, "1234"},     {12.5f, "12.5"},
        {0.0001f, "0.0001"}, {99999.0f, "99999"}, {0.00001f, "0.00001"}, {12345678.0f, "12345678"},
    };
    Recorder rec;
    rec.start(kWinter);
    for (const auto& [value, text] : cases)
        rec.addReading(kWinter, value, "V", 1, 2);
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(rec.csvLine(i).substr(36), std::string(cases[i].second) + ",V,ok,1,2\n");
    EXPECT_EQ(rec.summary(), "8 readings, min 0.00001 V, max 12345678 V, mean 1555865.650514 V, "
                             "0 gaps, 0 overloads");

    // Any float a meter can show reads back as itself, without a comma or an exponent.
    std::mt19937 rng(27500);
    std::uniform_real_distribution<float> anyValue(0.0f, 100000.0f);
    rec.start(kWinter);
    for (int i = 0; i < 2000; ++i)
        rec.addReading(kWinter, anyValue(rng) / (i % 7 == 0 ? 10000.0f : 1.0f), "V", 1, 2);
    for (std::size_t i = 0; i < rec.rows().size(); ++i) {
        const std::string line = rec.csvLine(i);
        const std::string text = line.substr(36, line.find(',', 36) - 36);
        float back = -1;
        std::from_chars(text.data(), text.data() + text.size(), back, std::chars_format::fixed);
        EXPECT_EQ(back, rec.rows()[i].value) << text;
        EXPECT_EQ(text.find_first_of(",eE"), std::string::npos) << text;
    }
}

TEST(CsvLog, AnExistingFileIsAppendedToWithoutASecondHeader) {
    TimeZone tz("UTC");
    TempFolder dir;
    for (int session = 0; session < 2; ++session) {
        Recorder rec;
        ASSERT_TRUE(rec.openLog(dir / "log.csv"));
        rec.start(kWinter + session * 60000);
        rec.addReading(kWinter + session * 60000 + 500, 1.5f, "V-DC", 240, 136);
    }
    const CsvRows rows = csvRowsOf(dir / "log.csv");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], kHeader);
    EXPECT_EQ(rows[1][1], "0.500");
    EXPECT_EQ(rows[2][0], "2026-12-08T13:04:07.625+00:00");
    EXPECT_EQ(rows[2][1], "0.500"); // each session counts from its own start
}

TEST(CsvLog, ALastLineCutShortIsEndedBeforeNewRows) {
    const std::string whole = "time,elapsed_s,value,unit,status,function,range\n"
                              "2026-12-08T13:03:07.125+00:00,0.000,1,V-DC,ok,240,136\n";
    for (const std::string cut :
         {"2026-12-08T13:03:07.2", "2026-12-08T13:03:07.225+00:00,0.100,,\"A, p",
          "2026-12-08T13:03:07.225+00:00,0.100,1,V-DC,ok,240,136\r"}) {
        TimeZone tz("UTC");
        TempFolder dir;
        test::writeFile(dir / "log.csv", whole + cut);
        Recorder rec;
        ASSERT_TRUE(rec.openLog(dir / "log.csv"));
        rec.start(kWinter);
        rec.addReading(kWinter, 2, "V-DC", 240, 136);
        const CsvRows rows = csvRowsOf(dir / "log.csv");
        ASSERT_EQ(rows.size(), 4u) << cut;
        EXPECT_EQ(rows[0], kHeader);
        EXPECT_EQ(rows[3], Fields({"2026-12-08T13:03:07.125+00:00", "0.000", "2", "V-DC", "ok",
                                   "240", "136"}));
    }
}

TEST(CsvLog, FailuresAreReportedAndTheRecordKeepsEveryReading) {
    TempFolder dir;
    Recorder rec;
    std::vector<std::string> reported;
    rec.onLogError = [&](const std::string& reason) { reported.push_back(reason); };
    rec.start(kWinter);

    EXPECT_FALSE(rec.openLog("/dev/full"));
    EXPECT_EQ(rec.logError(), "Cannot write /dev/full: no space left on device.");
    EXPECT_FALSE(rec.openLog(dir / "missing/log.csv"));
    EXPECT_EQ(rec.logError(), "Cannot write " + dir / "missing/log.csv" + ": the folder " +
                                  dir / "missing" + " does not exist.");
    EXPECT_FALSE(rec.openLog(dir / ""));
    EXPECT_EQ(rec.logError(), "Cannot write " + dir / "" + ": is a directory.");
    rec.addReading(kWinter, 1, "V-DC", 240, 136);

    // A reader that goes away mid-session: no SIGPIPE, one report, writing stops.
    ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0);
    const int reader = open((dir / "pipe").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_TRUE(rec.openLog(dir / "pipe"));
    EXPECT_TRUE(rec.addReading(kWinter + 100, 2, "V-DC", 240, 136));
    close(reader);
    rec.addReading(kWinter + 200, 3, "V-DC", 240, 136);
    // The pipe is written off the caller's thread: the failure is told with a later row, or
    // when the log is looked at.
    for (int i = 0; i < 500 && reported.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        rec.checkLog();
    }
    rec.addReading(kWinter + 300, 4, "V-DC", 240, 136);
    EXPECT_EQ(reported,
              std::vector<std::string>{"Cannot write " + dir / "pipe" + ": broken pipe."});
    EXPECT_FALSE(rec.logging());

    // A log file removed under the writer, as a log rotator does: a new one at the name
    // takes the next rows, header first.
    ASSERT_TRUE(rec.openLog(dir / "log.csv"));
    rec.addReading(kWinter + 400, 5, "V-DC", 240, 136);
    std::remove((dir / "log.csv").c_str());
    rec.addReading(kWinter + 500, 6, "V-DC", 240, 136);
    EXPECT_EQ(reported.size(), 1u);
    EXPECT_EQ(csvRowsOf(dir / "log.csv").size(), 2u);
    EXPECT_EQ(rec.logBacklog().renewed, 1u);

    // A disk that fills in the middle of a line: the part that got in is taken back.
    TimeZone tz("UTC");
    ASSERT_TRUE(rec.openLog(dir / "full.csv"));
    rec.addReading(kWinter + 600, 7, "V-DC", 240, 136);
    const auto whole = static_cast<rlim_t>(readFile(dir / "full.csv").size());
    const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    rlimit oldLimit{};
    getrlimit(RLIMIT_FSIZE, &oldLimit);
    const rlimit limit{whole + 20, oldLimit.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
    rec.addReading(kWinter + 700, 8, "V-DC", 240, 136);
    setrlimit(RLIMIT_FSIZE, &oldLimit);
    signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(reported.back(), "Cannot write " + dir / "full.csv" + ": file too large.");
    EXPECT_EQ(csvRowsOf(dir / "full.csv").size(), 2u);

    ASSERT_EQ(rec.rows().size(), 8u);
    for (std::size_t i = 0; i < 8; ++i)
        EXPECT_EQ(rec.rows()[i].value, static_cast<float>(i + 1));
}

} // namespace
} // namespace kv
