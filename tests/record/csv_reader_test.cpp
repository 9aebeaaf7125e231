// Reading a recording back: the program's own files to the same rows, files a spreadsheet
// touched, files that grow, and every kind of bad input with the sentence it gets.
#include "record/csv_reader.h"
#include "record/recorder.h"
#include "record/recording.h"
#include "record_files.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <sys/stat.h>

namespace kv {
namespace {

using test::readFile;
using test::TempFolder;
using test::writeFile;

constexpr const char* kHeader = "time,elapsed_s,value,unit,status,function,range\n";

struct Read {
    bool opened = false;
    std::string error;
    Recording recording;
    std::size_t badLines = 0;
    std::string problems;
};

std::unique_ptr<Read> readWhole(const std::string& path) {
    auto out = std::make_unique<Read>();
    CsvReader reader;
    out->opened = reader.open(path);
    if (out->opened) {
        out->recording.read(reader);
        reader.finish();
    }
    out->error = reader.error();
    out->badLines = reader.badLines();
    out->problems = reader.problemsText();
    return out;
}

TEST(CsvTime, TheLogsLayoutAndItsNeighboursGiveTheSameInstant) {
    const struct {
        const char* text;
        std::optional<TimeMs> ms;
    } cases[] = {
        {"2026-12-08T14:03:07.125+01:00", 1796734987125},
        {"2026-12-08T13:03:07.125Z", 1796734987125},
        {"1999-12-31T23:59:59.999-05:30", 946704599999},
        {"2024-02-29T00:00:00.000+00:00", 1709164800000},
        {"1969-12-31T23:59:59.500+00:00", -500},
        {"2026-06-01T12:00:00+02:00", 1780308000000},
        {"2026-06-01T12:00:00.5+02:00", 1780308000500},
        {"2026-06-01T12:00:00.123456+02:00:00", 1780308000123},
        {"2026-02-29T00:00:00.000+00:00", std::nullopt}, // not a leap year
        {"2026-13-01T00:00:00.000+00:00", std::nullopt},
        {"2026-12-08T14:03:07.125", std::nullopt}, // no offset: not an instant
        {"2026-12-08T14:03:07.125+01:00x", std::nullopt},
        {"2026-12-08T14:03:07.+01:00", std::nullopt},
        {"14:03:07", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseCsvTime(c.text), c.ms) << c.text;
}

TEST(CsvReading, ASavedRecordingOpensToTheSameRowsAndSavesToTheSameBytes) {
    test::TimeZone zone("Europe/Berlin");
    TempFolder folder;
    Recorder recorder;
    const TimeMs t0 = 1796734987125;
    recorder.start(t0 - 201);
    recorder.addGap(); // a silence before the first reading: no unit, no codes
    recorder.addReading(t0, 1.234f, "V-DC", 240, 136);
    recorder.addOverload(t0 + 101, "Hz", 160, 152);
    recorder.addReading(t0 + 1726, 0.47f, "K,Ohm \"x\"", 224, 136);
    recorder.addGap();
    recorder.addReading(t0 + 9000, -0.000123f, "mVolt", 232, 128);
    std::string error;
    ASSERT_TRUE(recorder.exportCsv(folder / "a.csv", error)) << error;

    const auto read = readWhole(folder / "a.csv");
    ASSERT_TRUE(read->opened) << read->error;
    EXPECT_EQ(read->badLines, 0u) << read->problems;
    const ReadingStore& rows = read->recording.rows;
    ASSERT_EQ(rows.size(), recorder.rows().size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Row a = rows[i], b = recorder.rows()[i];
        EXPECT_EQ(a.time, b.time) << i;
        EXPECT_EQ(a.status, b.status) << i;
        EXPECT_TRUE(a.value == b.value || (std::isnan(a.value) && std::isnan(b.value))) << i;
        EXPECT_EQ(rows.context(a.context).unit, recorder.rows().context(b.context).unit) << i;
        EXPECT_EQ(rows.context(a.context).hasCodes, recorder.rows().context(b.context).hasCodes);
    }

    Recorder again;
    again.adopt(read->recording);
    EXPECT_EQ(again.summary(), recorder.summary());
    ASSERT_TRUE(again.exportCsv(folder / "b.csv", error)) << error;
    EXPECT_EQ(readFile(folder / "b.csv"), readFile(folder / "a.csv"));
}

// Readings whose codes have no row, and the marks where the unit changes, are rows of the
// record to show it, but no file, statistics or count sees them.
TEST(CsvReading, UnlistedReadingsAndUnitMarksLeaveFilesStatisticsAndCountsAlone) {
    test::TimeZone zone("UTC");
    TempFolder folder;
    Recorder recorder;
    ASSERT_TRUE(recorder.openLog(folder / "log.csv")) << recorder.logError();
    const TimeMs t0 = 1796734987125;
    recorder.start(t0);
    recorder.addReading(t0 + 100, 1.5f, "V-DC", 240, 136);
    recorder.addUnlisted(t0 + 200, 1.5f, "°C", 192, 201);
    recorder.addReading(t0 + 300, 2.5f, "V-DC", 240, 136);
    recorder.addReading(t0 + 400, 30, "mA-DC", 176, 128);
    recorder.addUnlisted(t0 + 450, 31, "mA-DC", 176, 129);
    recorder.addOverload(t0 + 500, "mA-DC", 176, 128);
    recorder.addGap(); // dated to the overload, the last reading kept
    recorder.closeLog();
    EXPECT_EQ(recorder.rows().size(), 10u) << "five readings, two unlisted, three marks";
    EXPECT_EQ(recorder.rows()[2].value, 1.5f);
    EXPECT_EQ(recorder.csvLine(2), "");
    EXPECT_EQ(readFile(folder / "log.csv"),
              std::string(kHeader) + "2026-12-08T13:03:07.225+00:00,0.100,1.5,V-DC,ok,240,136\n"
                                     "2026-12-08T13:03:07.425+00:00,0.300,2.5,V-DC,ok,240,136\n"
                                     "2026-12-08T13:03:07.525+00:00,0.400,30,mA-DC,ok,176,128\n"
                                     "2026-12-08T13:03:07.625+00:00,0.500,,mA-DC,overload,176,128\n"
                                     "2026-12-08T13:03:07.625+00:00,0.500,,mA-DC,gap,176,128\n");
    std::string error;
    ASSERT_TRUE(recorder.exportCsv(folder / "export.csv", error)) << error;
    EXPECT_EQ(readFile(folder / "export.csv"), readFile(folder / "log.csv"));
    const std::string summary = "2 readings, min 1.5 V-DC, max 2.5 V-DC, mean 2 V-DC, 0 gaps, "
                                "0 overloads; 1 reading, min 30 mA-DC, max 30 mA-DC, mean 30 "
                                "mA-DC, 1 gap, 1 overload";
    EXPECT_EQ(recorder.summary(), summary + ", 2 garbled replies");

    // Read back: the readings, with a mark where their unit changes.
    CsvReader reader;
    ASSERT_TRUE(reader.open(folder / "export.csv"));
    Recording recording;
    ASSERT_TRUE(recording.read(reader));
    EXPECT_EQ(reader.rowsRead(), 5u);
    EXPECT_EQ(recording.rows.size(), 6u);
    EXPECT_TRUE(recording.rows[2].unitChange);
    EXPECT_EQ(summaryLine(recording.tally.result()), summary);
    Recorder again;
    again.adopt(recording);
    ASSERT_TRUE(again.exportCsv(folder / "again.csv", error)) << error;
    EXPECT_EQ(readFile(folder / "again.csv"), readFile(folder / "log.csv"));
}

// Rows written around offset changes read back to the instants they were taken at, and
// carry the offset the C library gives for that instant.
TEST(CsvReading, TimesAroundOffsetChangesReadBackToTheSameInstants) {
    const struct {
        const char* zone;
        TimeMs at; // an offset change, UTC
    } cases[] = {
        {"Europe/Berlin", 1774746000000},       // 2026-03-29 01:00 UTC: +01:00 to +02:00
        {"Europe/Berlin", 1792890000000},       // 2026-10-25 01:00 UTC: back to +01:00
        {"Australia/Lord_Howe", 1775314800000}, // 2026-04-04 15:00 UTC: half an hour back
        {"Asia/Kathmandu", 504901800000},       // 1986-01-01: +05:30 to +05:45
        {"Africa/Monrovia", 63593070000},       // 1972: from -00:44:30 to UTC
    };
    TempFolder folder;
    for (const auto& c : cases) {
        test::TimeZone zone(c.zone);
        Recorder recorder;
        recorder.start(c.at - 3'600'000);
        std::vector<TimeMs> times;
        for (TimeMs t = c.at - 2'000'000; t < c.at + 2'000'000; t += 299'999)
            times.push_back(t);
        for (TimeMs t : times)
            recorder.addReading(t, 1.0f, "V-DC", 240, 136);
        std::string error;
        ASSERT_TRUE(recorder.exportCsv(folder / "z.csv", error)) << error;
        const auto read = readWhole(folder / "z.csv");
        ASSERT_EQ(read->recording.rows.size(), times.size()) << c.zone << ": " << read->problems;
        const auto rows = test::csvRowsOf(folder / "z.csv");
        for (std::size_t i = 0; i < times.size(); ++i) {
            EXPECT_EQ(read->recording.rows[i].time, times[i]) << c.zone << " " << rows[i + 1][0];
            const std::time_t seconds = static_cast<std::time_t>(times[i] / 1000);
            std::tm tm{};
            localtime_r(&seconds, &tm);
            const long offset = tm.tm_gmtoff;
            char expected[48];
            std::snprintf(expected, sizeof expected, "%c%02ld:%02ld", offset < 0 ? '-' : '+',
                          std::labs(offset) / 3600, std::labs(offset) / 60 % 60);
            EXPECT_NE(rows[i + 1][0].find(expected, 23), std::string::npos)
                << c.zone << " " << rows[i + 1][0];
        }
    }
}

// A copy taken while the record grows writes the same file as the record did then.
TEST(CsvReading, ACopyOfARunningRecordSavesAsTheRecordItself) {
    test::TimeZone zone("Europe/Berlin");
    TempFolder folder;
    Recorder recorder;
    recorder.start(1796734987125);
    for (int i = 0; i < 10000; ++i) // several blocks, units changing, a far jump in time
        recorder.addReading(1796734987125 + i * 100 + (i > 7000 ? 864'000'000 : 0),
                            static_cast<float>(i) / 8.0f, i % 3000 < 1500 ? "V-DC" : "mVolt", 240,
                            static_cast<std::uint8_t>(136 + i / 3000));
    std::string error;
    ASSERT_TRUE(recorder.exportCsv(folder / "a.csv", error)) << error;
    Recording copy;
    recorder.copyTo(copy);
    recorder.addReading(1796734987125, 1.0f, "V-DC", 240, 136); // the record goes on
    Recorder saved;
    saved.adopt(copy);
    ASSERT_TRUE(saved.exportCsv(folder / "b.csv", error)) << error;
    EXPECT_EQ(readFile(folder / "b.csv"), readFile(folder / "a.csv"));
}

TEST(CsvReading, ColumnsByNameInAnyOrderWithExtrasACrlfAndAByteOrderMark) {
    TempFolder folder;
    writeFile(folder / "s.csv", "\xEF\xBB\xBFnote,unit,value,time\r\n"
                                "a,V-DC,1.5,2026-12-08T14:03:07.125+01:00\r\n"
                                "\"b,c\",V-DC,2.5,2026-12-08T14:03:08.125+01:00\r\n");
    const auto read = readWhole(folder / "s.csv");
    ASSERT_TRUE(read->opened) << read->error;
    EXPECT_EQ(read->badLines, 0u) << read->problems;
    const ReadingStore& rows = read->recording.rows;
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].value, 2.5f);
    EXPECT_EQ(rows[1].time, 1796734988125);
    EXPECT_EQ(rows.context(rows[1].context).unit, "V-DC");
    EXPECT_EQ(read->recording.start, 1796734987125) << "no elapsed_s: the first row's time";
}

TEST(CsvReading, AFileThatIsNoRecordingIsRefusedWithOneSentence) {
    TempFolder folder;
    const std::string binary("\x7f"
                             "ELF\x02\x01\x00\x00\x00\n\x00\x01",
                             13);
    writeFile(folder / "empty.csv", "");
    writeFile(folder / "binary.csv", binary);
    writeFile(folder / "noheader.csv",
              "2026-12-08T14:03:07.125+01:00,0.201,1.234,V-DC,ok,240,136\n");
    writeFile(folder / "novalue.csv", "time,unit\n2026-12-08T14:03:07.125+01:00,V\n");
    writeFile(folder / "oneline.csv", std::string(3 * CsvReader::kLongestLine, 'x'));
    mkdir((folder / "dir.csv").c_str(), 0700);
    const std::string p = folder / "";
    const struct {
        const char* file;
        std::string error;
    } cases[] = {
        {"empty.csv", p + "empty.csv is empty"},
        {"dir.csv", p + "dir.csv is a folder, not a file"},
        {"missing.csv", p + "missing.csv cannot be opened: no such file or directory"},
        {"binary.csv", p + "binary.csv is not a recording of readings: its first line does "
                           "not name the columns time and value"},
        {"noheader.csv", p + "noheader.csv is not a recording of readings: its first line "
                             "does not name the columns time and value"},
        {"oneline.csv", p + "oneline.csv is not a recording of readings: its first line does "
                            "not name the columns time and value"},
        {"novalue.csv", "The header of " + p + "novalue.csv has no column 'value'"},
    };
    for (const auto& c : cases) {
        const auto read = readWhole(folder / c.file);
        EXPECT_FALSE(read->opened) << c.file;
        EXPECT_EQ(read->error, c.error);
    }
}

TEST(CsvReading, UnreadableLinesAreSkippedCountedAndTheFirstIsNamed) {
    TempFolder folder;
    const std::string good = "2026-12-08T14:03:07.125+01:00,0.201,1.234,V-DC,ok,240,136\n";
    const struct {
        std::string line;
        std::string problem;
    } cases[] = {
        {"2026-12-08T14:03:07.125+01:00,0.2,abc,V-DC,ok,240,136\n",
         "line 3: the value 'abc' is not a number"},
        {"2026-12-08T14:03:07.125+01:00,0.2,,V-DC,ok,240,136\n",
         "line 3: the value '' is not a number"},
        {"2026-12-08T14:03:07.125+01:00,0.2,nan,V-DC,ok,240,136\n",
         "line 3: the value 'nan' is not a number"},
        {"yesterday,0.2,1,V-DC,ok,240,136\n",
         "line 3: the time 'yesterday' is not a time like 2026-12-08T14:03:07.125+01:00"},
        {"2026-12-08T14:03:07.125+01:00,0.2,1\n", "line 3 has 3 fields where the header names 7"},
        {"2026-12-08T14:03:07.125+01:00,0.2,1,V-DC,fine,240,136\n",
         "line 3: the status 'fine' is none of ok, overload and gap"},
        {"2026-12-08T14:03:07.125+01:00,0.2,1,V-DC,ok,256,136\n",
         "line 3: the code '256' is not a number from 0 to 255"},
        {"2026-12-08T14:03:07.125+01:00,0.2,1,\"V-DC,ok,240,136\n",
         "line 3: a quote is not closed where the field ends"},
        {std::string(CsvReader::kLongestLine + 10, '7') + "\n",
         "line 3 is longer than 4096 characters"},
    };
    for (const auto& c : cases) {
        writeFile(folder / "r.csv", kHeader + good + c.line + good + c.line + good);
        const auto read = readWhole(folder / "r.csv");
        ASSERT_TRUE(read->opened) << read->error;
        EXPECT_EQ(read->recording.rows.size(), 3u) << c.problem;
        EXPECT_EQ(read->problems, "2 lines could not be read; the first is " + c.problem);
    }

    // A logger killed in the middle of a line.
    writeFile(folder / "cut.csv", kHeader + good + good.substr(0, 20));
    const auto cut = readWhole(folder / "cut.csv");
    EXPECT_EQ(cut->recording.rows.size(), 1u);
    EXPECT_EQ(cut->problems, "One line could not be read: line 3 is cut off: the file ends in "
                             "the middle of it");
}

TEST(CsvReading, AGrowingFileIsFollowedLineByLineAndAReplacedOneIsNoticed) {
    TempFolder folder;
    const std::string path = folder / "g.csv";
    const std::string line = "2026-12-08T14:03:07.125+01:00,0.201,1.234,V-DC,ok,240,136\n";
    writeFile(path, kHeader + line);
    CsvReader reader;
    ASSERT_TRUE(reader.open(path)) << reader.error();
    Recorder recorder;
    ASSERT_TRUE(recorder.readMore(reader));
    EXPECT_EQ(recorder.rows().size(), 1u);

    std::ofstream(path, std::ios::app) << line << line.substr(0, 30);
    ASSERT_TRUE(recorder.readMore(reader));
    EXPECT_EQ(recorder.rows().size(), 2u) << "the half line waits for its end";
    std::ofstream(path, std::ios::app) << line.substr(30);
    ASSERT_TRUE(recorder.readMore(reader));
    EXPECT_EQ(recorder.rows().size(), 3u);
    EXPECT_EQ(reader.badLines(), 0u) << reader.problemsText();
    EXPECT_EQ(recorder.statistics().readings, 3u);
    EXPECT_FALSE(reader.changedUnderneath());

    writeFile(path, kHeader); // truncated, as a new logger run over it would
    EXPECT_TRUE(reader.changedUnderneath());
    writeFile(path + ".new", kHeader + line);
    std::rename((path + ".new").c_str(), path.c_str());
    EXPECT_TRUE(reader.changedUnderneath());
}

} // namespace
} // namespace kv
