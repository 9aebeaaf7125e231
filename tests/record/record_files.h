#pragma once

#include "strict_csv.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace kv::test {

// A private folder for one test's files, removed afterwards.
class TempFolder {
public:
    TempFolder() {
        char name[] = "/tmp/kv27500-record-XXXXXX";
        path_ = mkdtemp(name) ? name : "";
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void writeFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// The file's rows as a strict reader sees them; a failed test where it refuses them.
inline CsvRows csvRowsOf(const std::string& path) {
    const auto rows = readStrictCsv(readFile(path));
    EXPECT_TRUE(rows) << "not RFC 4180: " << path << "\n" << readFile(path);
    return rows.value_or(CsvRows{});
}

// Sets TZ for one test and puts the old one back.
class TimeZone {
public:
    explicit TimeZone(const char* tz) {
        if (const char* old = std::getenv("TZ"))
            old_ = old, had_ = true;
        setenv("TZ", tz, 1);
    }
    ~TimeZone() {
        if (had_)
            setenv("TZ", old_.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    std::string old_;
    bool had_ = false;
};

} // namespace kv::test
