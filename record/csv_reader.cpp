#include "record/csv_reader.h"

#include "record/csv.h"

#include "core/error_reason.h"
#include "core/translated.h"
#include "core/trimmed.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <deque>
#include <fcntl.h>
#include <fstream>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_set>
#include <vector>

namespace kv {

namespace {

constexpr std::size_t kChunk = 1 << 20;
constexpr int kNoColumn = -1;

// Digits at text[at..at+n) as a number; -1 when any is not a digit.
int digitsAt(std::string_view text, std::size_t at, std::size_t n) {
    if (at + n > text.size())
        return -1;
    int value = 0;
    for (std::size_t i = at; i < at + n; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

bool leapYear(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int y, int m) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && leapYear(y) ? 29 : days[m - 1];
}

// The shown part of a field in a message: a binary line must not fill the screen.
std::string shown(std::string_view field) {
    constexpr std::size_t kShown = 40;
    std::string out(field.substr(0, kShown));
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20)
            c = '?';
    if (field.size() > kShown)
        out += "...";
    return out;
}

// What a value's text comes back as from the float `v` read from it, at the text's own
// number of decimals ("123456789" as "123456792"), or nothing when it comes back unchanged.
// `text` is a number std::from_chars took: a sign, digits with a point, an exponent.
std::optional<std::string> changedByFloat(std::string_view text, float v) {
    bool negative = false;
    std::size_t at = 0;
    if (at < text.size() && text[at] == '-') {
        negative = true;
        ++at;
    }
    std::string digits; // every digit written, the point left out
    int decimals = 0;   // of them after the point
    bool afterPoint = false;
    for (; at < text.size() && text[at] != 'e' && text[at] != 'E'; ++at) {
        if (text[at] == '.') {
            afterPoint = true;
            continue;
        }
        digits += text[at];
        decimals += afterPoint ? 1 : 0;
    }
    long exponent = 0;
    if (at < text.size()) {
        ++at;
        const bool down = at < text.size() && text[at] == '-';
        at += at < text.size() && (text[at] == '-' || text[at] == '+') ? 1 : 0;
        // Held far beyond any float, so that it cannot overflow.
        for (; at < text.size(); ++at)
            exponent = std::min(exponent * 10 + (text[at] - '0'), 100000L);
        exponent = down ? -exponent : exponent;
    }
    digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size()));
    if (digits.empty())
        return std::nullopt; // zero, which a float holds exactly
    // The text's value is digits * 10^-scale; trailing zeros after the point say nothing.
    long scale = decimals - exponent;
    while (scale > 0 && digits.back() == '0') {
        digits.pop_back();
        --scale;
    }
    if (scale < 0)
        digits.append(static_cast<std::size_t>(-scale), '0');
    const long shownDecimals = std::max(scale, 0L);
    // A float's exact value has at most 149 decimals and 39 digits before the point; a text
    // beyond them cannot come back, and is not printed at its length.
    constexpr long kMostDecimals = 160;
    if (shownDecimals > kMostDecimals || digits.size() > 48 + std::size_t(shownDecimals)) {
        char buf[32];
        const auto res = std::to_chars(buf, buf + sizeof buf, v);
        return std::string(buf, res.ptr);
    }
    char buf[256];
    const int n = std::snprintf(buf, sizeof buf, "%.*f", static_cast<int>(shownDecimals),
                                static_cast<double>(v));
    const std::string back(buf, static_cast<std::size_t>(std::clamp(n, 0, int(sizeof buf) - 1)));
    std::string backDigits;
    for (const char c : back)
        if (c >= '0' && c <= '9')
            backDigits += c;
    backDigits.erase(0, std::min(backDigits.find_first_not_of('0'), backDigits.size()));
    if (backDigits == digits && (v < 0) == negative)
        return std::nullopt;
    return back;
}

} // namespace

std::optional<TimeMs> parseCsvTime(std::string_view t) {
    // 2026-12-08T14:03:07[.fraction](Z|+HH:MM[:SS])
    const int year = digitsAt(t, 0, 4), month = digitsAt(t, 5, 2), day = digitsAt(t, 8, 2);
    const int hour = digitsAt(t, 11, 2), minute = digitsAt(t, 14, 2), second = digitsAt(t, 17, 2);
    if (year < 0 || month < 1 || month > 12 || day < 1 || hour < 0 || hour > 23 || minute < 0 ||
        minute > 59 || second < 0 || second > 60 || t[4] != '-' || t[7] != '-' ||
        (t[10] != 'T' && t[10] != ' ') || t[13] != ':' || t[16] != ':')
        return std::nullopt;
    if (day > daysInMonth(year, month))
        return std::nullopt;
    std::size_t at = 19;
    int millis = 0;
    if (at < t.size() && (t[at] == '.' || t[at] == ',')) {
        ++at;
        int digits = 0;
        while (at < t.size() && t[at] >= '0' && t[at] <= '9') {
            if (digits < 3)
                millis = millis * 10 + (t[at] - '0');
            ++digits;
            ++at;
        }
        if (digits == 0 || digits > 9)
            return std::nullopt;
        for (int d = digits; d < 3; ++d)
            millis *= 10;
    }
    std::int64_t offsetSeconds = 0;
    if (at < t.size() && t[at] == 'Z') {
        ++at;
    } else if (at < t.size() && (t[at] == '+' || t[at] == '-')) {
        const int sign = t[at] == '-' ? -1 : 1;
        const int oh = digitsAt(t, at + 1, 2), om = digitsAt(t, at + 4, 2);
        if (oh < 0 || oh > 23 || om < 0 || om > 59 || at + 3 >= t.size() || t[at + 3] != ':')
            return std::nullopt;
        int os = 0;
        at += 6;
        if (at < t.size() && t[at] == ':') {
            os = digitsAt(t, at + 1, 2);
            if (os < 0 || os > 59)
                return std::nullopt;
            at += 3;
        }
        offsetSeconds = sign * (oh * 3600 + om * 60 + os);
    } else {
        return std::nullopt;
    }
    if (at != t.size())
        return std::nullopt;
    const std::int64_t days =
        daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    const std::int64_t seconds = days * 86400 + hour * 3600 + minute * 60 + second - offsetSeconds;
    return seconds * 1000 + millis;
}

// Where each known column stands in a line; kNoColumn for one the header lacks.
struct CsvReader::Columns {
    int time = kNoColumn, elapsed = kNoColumn, value = kNoColumn, unit = kNoColumn,
        status = kNoColumn, function = kNoColumn, range = kNoColumn, channel = kNoColumn,
        note = kNoColumn;
    int needed = 0; // fields a line must have to reach every known column
    int named = 0;  // fields the header names
};

namespace {

// Where the quote opens that is still open at the end of `line` (a field quoted over a line
// end); npos when every quote is closed.
std::size_t opensQuote(std::string_view line) {
    std::size_t open = std::string_view::npos;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] != '"')
            continue;
        if (open == std::string_view::npos)
            open = i;
        else if (i + 1 < line.size() && line[i + 1] == '"')
            ++i; // a doubled quote inside the field
        else
            open = std::string_view::npos;
    }
    return open;
}

// Splits one line into its fields: RFC 4180 quotes, with the quoted fields' text unquoted
// into `owned`. False for a quote that does not close or text after a closing quote.
bool splitFields(std::string_view line, std::vector<std::string_view>& fields,
                 std::deque<std::string>& owned) {
    fields.clear();
    owned.clear();
    if (line.find('"') == std::string_view::npos) {
        std::size_t from = 0;
        while (true) {
            const std::size_t comma = line.find(',', from);
            if (comma == std::string_view::npos) {
                fields.push_back(line.substr(from));
                return true;
            }
            fields.push_back(line.substr(from, comma - from));
            from = comma + 1;
        }
    }
    std::size_t i = 0;
    while (true) {
        if (i < line.size() && line[i] == '"') {
            std::string& text = owned.emplace_back();
            ++i;
            while (true) {
                if (i >= line.size())
                    return false;
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        text += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                text += line[i++];
            }
            fields.push_back(text);
            if (i == line.size())
                return true;
            if (line[i] != ',')
                return false;
            ++i;
            continue;
        }
        const std::size_t comma = line.find(',', i);
        const std::string_view field =
            line.substr(i, comma == std::string_view::npos ? std::string_view::npos : comma - i);
        if (field.find('"') != std::string_view::npos)
            return false;
        fields.push_back(field);
        if (comma == std::string_view::npos)
            return true;
        i = comma + 1;
    }
}

} // namespace

CsvReader::CsvReader() = default;

CsvReader::~CsvReader() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool CsvReader::open(const std::string& path) {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    device_ = inode_ = offset_ = lineNumber_ = 0;
    pending_.clear();
    skipping_ = false;
    columns_.reset();
    error_.clear();
    rows_ = 0;
    start_ = 0;
    badLines_ = 0;
    firstProblem_.clear();
    haveContext_ = false;
    path_ = path;
    // Without waiting: a pipe or a terminal would hold the caller until a writer came; they
    // fail on the first read instead, as they cannot be read from a position.
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0) {
        error_ = withArguments(translated("kv::CsvReader", "%1 cannot be opened: %2"),
                               {path, errorReason(errno)});
        return false;
    }
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        error_ = withArguments(translated("kv::CsvReader", "%1 cannot be read: %2"),
                               {path, errorReason(errno)});
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        error_ = withArguments(translated("kv::CsvReader", "%1 is a folder, not a file"), {path});
        return false;
    }
    device_ = st.st_dev;
    inode_ = st.st_ino;

    // The header: the first line, up to its line end or the end of the file. A spreadsheet
    // may have added columns enough to make it far longer than a row.
    std::string head;
    std::size_t end = std::string::npos;
    while (end == std::string::npos && head.size() <= kLongestHeader) {
        const std::size_t from = head.size();
        head.resize(from + kLongestLine);
        const ssize_t n = ::pread(fd_, head.data() + from, kLongestLine, static_cast<off_t>(from));
        head.resize(from + static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error_ = withArguments(translated("kv::CsvReader", "%1 cannot be read: %2"),
                                   {path, errorReason(errno)});
            return false;
        }
        if (n == 0)
            break;
        end = head.find('\n', from);
    }
    if (head.empty()) {
        error_ = withArguments(translated("kv::CsvReader", "%1 is empty"), {path});
        return false;
    }
    if (end == std::string::npos && head.size() > kLongestHeader) {
        error_ = withArguments(translated("kv::CsvReader",
                                          "%1 is not a recording of readings: its first line is "
                                          "longer than %2 characters"),
                               {path, std::to_string(kLongestHeader)});
        return false;
    }
    std::string_view header(head.data(), std::min(end, head.size()));
    if (header.substr(0, 3) == "\xEF\xBB\xBF") // the byte-order mark some spreadsheets write
        header.remove_prefix(3);
    if (!header.empty() && header.back() == '\r')
        header.remove_suffix(1);

    auto columns = std::make_unique<Columns>();
    std::vector<std::string_view> fields;
    std::deque<std::string> owned;
    if (splitFields(header, fields, owned)) {
        const std::pair<const char*, int Columns::*> names[] = {
            {"time", &Columns::time},     {"elapsed_s", &Columns::elapsed},
            {"value", &Columns::value},   {"unit", &Columns::unit},
            {"status", &Columns::status}, {"function", &Columns::function},
            {"range", &Columns::range},   {"channel", &Columns::channel},
            {"note", &Columns::note}};
        for (std::size_t i = 0; i < fields.size(); ++i)
            for (const auto& [name, member] : names)
                if (trimmed(fields[i]) == name && columns.get()->*member == kNoColumn)
                    columns.get()->*member = static_cast<int>(i);
        columns->named = static_cast<int>(fields.size());
    }
    if (columns->time == kNoColumn && columns->value == kNoColumn) {
        error_ = withArguments(
            translated(
                "kv::CsvReader",
                "%1 is not a recording of readings: its first line does not name the columns "
                "time and value"),
            {path});
        return false;
    }
    if (columns->time == kNoColumn || columns->value == kNoColumn) {
        error_ = withArguments(translated("kv::CsvReader", "The header of %1 has no column '%2'"),
                               {path, columns->time == kNoColumn ? "time" : "value"});
        return false;
    }
    for (int Columns::*member :
         {&Columns::time, &Columns::elapsed, &Columns::value, &Columns::unit, &Columns::status,
          &Columns::function, &Columns::range, &Columns::channel})
        columns->needed = std::max(columns->needed, columns.get()->*member + 1);
    columns_ = std::move(columns);
    // A header without its line end is the whole file: what follows later starts a line.
    offset_ = end == std::string::npos ? head.size() : end + 1;
    lineNumber_ = 1;
    return true;
}

std::vector<std::string> CsvReader::channelsIn(const std::string& path) {
    CsvReader reader;
    std::vector<std::string> names;
    if (!reader.open(path) || reader.columns_->channel == kNoColumn)
        return names;
    std::ifstream in(path, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(reader.offset_));
    std::unordered_set<std::string> seen;
    std::string text;
    std::vector<std::string_view> fields;
    std::deque<std::string> owned;
    const auto column = static_cast<std::size_t>(reader.columns_->channel);
    while (std::getline(in, text)) {
        if (!text.empty() && text.back() == '\r')
            text.pop_back();
        if (text.size() > kLongestLine || !splitFields(text, fields, owned) ||
            fields.size() <= column)
            continue;
        const std::string name(fields[column]);
        if (seen.insert(name).second)
            names.push_back(name);
    }
    return names;
}

bool CsvReader::readAvailable(ReadingStore& store, const std::atomic<bool>* cancel,
                              const std::function<void(std::uint64_t, std::uint64_t)>& progress) {
    if (fd_ < 0 || !columns_)
        return false;
    struct stat st {};
    const std::uint64_t size = ::fstat(fd_, &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
    // Big enough for what the file holds now, up to kChunk; not cleared, since every byte used
    // is read into it first.
    const std::size_t wanted =
        static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, size - std::min(size, offset_))) +
        kLongestLine;
    if (chunkSize_ < wanted) {
        chunk_.reset(new char[wanted]);
        chunkSize_ = wanted;
    }
    while (!(cancel && cancel->load(std::memory_order_relaxed))) {
        const ssize_t n = ::pread(fd_, chunk_.get(), chunkSize_, static_cast<off_t>(offset_));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error_ = withArguments(translated("kv::CsvReader", "%1 cannot be read: %2"),
                                   {path_, errorReason(errno)});
            return false;
        }
        if (n == 0)
            break;
        offset_ += static_cast<std::uint64_t>(n);
        std::string_view data(chunk_.get(), static_cast<std::size_t>(n));
        while (!data.empty()) {
            const std::size_t newline = data.find('\n');
            const std::string_view piece = data.substr(0, newline);
            if (skipping_) {
                // The rest of a line that was already too long.
            } else if (pending_.size() + piece.size() > kLongestLine) {
                skipping_ = true;
                pending_.clear();
            } else if (newline != std::string_view::npos && pending_.empty()) {
                ++lineNumber_;
                line(piece, store);
                data.remove_prefix(newline + 1);
                continue;
            } else {
                pending_.append(piece);
            }
            if (newline == std::string_view::npos)
                break;
            ++lineNumber_;
            if (skipping_) {
                bad(withArguments(
                    translated("kv::CsvReader", "line %1 is longer than %2 characters"),
                    {std::to_string(lineNumber_), std::to_string(kLongestLine)}));
                skipping_ = false;
            } else {
                line(pending_, store);
            }
            pending_.clear();
            data.remove_prefix(newline + 1);
        }
        if (progress)
            progress(offset_, std::max(size, offset_));
    }
    return true;
}

bool CsvReader::changedUnderneath() const {
    struct stat st {};
    if (::stat(path_.c_str(), &st) != 0)
        return true;
    return static_cast<std::uint64_t>(st.st_dev) != device_ ||
           static_cast<std::uint64_t>(st.st_ino) != inode_ ||
           static_cast<std::uint64_t>(st.st_size) < offset_;
}

void CsvReader::finish() {
    if (pending_.empty() && !skipping_ && quoted_.empty())
        return;
    quoted_.clear();
    ++lineNumber_;
    bad(withArguments(
        translated("kv::CsvReader", "line %1 is cut off: the file ends in the middle of it"),
        {std::to_string(lineNumber_)}));
    pending_.clear();
    skipping_ = false;
}

std::string CsvReader::problemsText() const {
    if (badLines_ == 0)
        return {};
    if (badLines_ == 1)
        return withArguments(translated("kv::CsvReader", "One line could not be read: %1"),
                             {firstProblem_});
    return withArguments(translated("kv::CsvReader", "%1 lines could not be read; the first is %2"),
                         {std::to_string(badLines_), firstProblem_});
}

void CsvReader::bad(std::string text) {
    if (badLines_++ == 0)
        firstProblem_ = std::move(text);
}

void CsvReader::line(std::string_view text, ReadingStore& store) {
    if (!text.empty() && text.back() == '\r')
        text.remove_suffix(1);
    if (text.empty() && quoted_.empty())
        return; // a blank line holds nothing to lose
    // A quoted field may hold line ends (a note's text): the lines are joined up to the one
    // that closes the quote. A line that begins with a time begins a row of its own, so a quote
    // left open by a line cut short costs that line alone.
    if (!quoted_.empty()) {
        const std::size_t comma = text.find(',');
        if (parseCsvTime(text.substr(0, comma))) {
            quoted_.clear();
            bad(withArguments(
                translated("kv::CsvReader", "line %1: a quote is not closed where the field ends"),
                {std::to_string(lineNumber_ - 1)}));
        } else {
            quoted_ += '\n';
            quoted_.append(text);
            if (opensQuote(quoted_) == std::string::npos) {
                const std::string whole = std::move(quoted_);
                quoted_.clear();
                lineOf(whole, store);
            } else if (quoted_.size() > kLongestLine) {
                quoted_.clear();
                bad(withArguments(
                    translated("kv::CsvReader", "line %1 is longer than %2 characters"),
                    {std::to_string(lineNumber_), std::to_string(kLongestLine)}));
            }
            return;
        }
    }
    if (text.find('"') != std::string_view::npos) {
        const std::size_t open = opensQuote(text);
        if (open != std::string_view::npos && (open == 0 || text[open - 1] == ',')) {
            quoted_.assign(text);
            return;
        }
    }
    lineOf(text, store);
}

void CsvReader::lineOf(std::string_view text, ReadingStore& store) {
    // Only a line that fails needs its number as text.
    struct Number {
        std::uint64_t n;
        operator std::string() const { return std::to_string(n); }
    } const number{lineNumber_};
    std::vector<std::string_view>& fields = fields_;
    if (!splitFields(text, fields, owned_)) {
        bad(withArguments(
            translated("kv::CsvReader", "line %1: a quote is not closed where the field ends"),
            {number}));
        return;
    }
    const Columns& c = *columns_;
    if (static_cast<int>(fields.size()) < c.needed) {
        bad(withArguments(
            translated("kv::CsvReader", "line %1 has %2 fields where the header names %3"),
            {number, std::to_string(fields.size()), std::to_string(c.needed)}));
        return;
    }
    const auto field = [&](int column) {
        return column == kNoColumn ? std::string_view() : fields[static_cast<std::size_t>(column)];
    };
    // Another channel's line is not this reader's to read, nor a fault.
    if (channel_ && c.channel != kNoColumn && field(c.channel) != *channel_)
        return;

    const std::optional<TimeMs> time = parseCsvTime(field(c.time));
    if (!time) {
        bad(withArguments(translated("kv::CsvReader", "line %1: the time '%2' is not a time like "
                                                      "2026-12-08T14:03:07.125+01:00"),
                          {number, shown(field(c.time))}));
        return;
    }
    const std::string_view valueText = field(c.value);
    Reading::Status status = Reading::Status::ok;
    bool note = false;
    if (c.status != kNoColumn) {
        const std::string_view s = field(c.status);
        if (s == kNoteColumn)
            note = true;
        else if (s == "ok")
            status = Reading::Status::ok;
        else if (s == "overload")
            status = Reading::Status::overload;
        else if (s == "gap")
            status = Reading::Status::gap;
        else {
            bad(withArguments(
                translated("kv::CsvReader",
                           "line %1: the status '%2' is none of ok, overload and gap"),
                {number, shown(s)}));
            return;
        }
    }
    float value = std::numeric_limits<float>::quiet_NaN();
    if (status == Reading::Status::ok && !note) {
        float v = 0;
        const auto [end, ec] =
            std::from_chars(valueText.data(), valueText.data() + valueText.size(), v);
        const bool whole = !valueText.empty() && end == valueText.data() + valueText.size();
        if (whole && ec == std::errc::result_out_of_range) {
            bad(withArguments(translated("kv::CsvReader",
                                         "line %1: the value '%2' is beyond the range of the "
                                         "values kept (32-bit floats)"),
                              {number, shown(valueText)}));
            return;
        }
        if (!whole || ec != std::errc() || !std::isfinite(v)) {
            bad(withArguments(
                translated("kv::CsvReader", "line %1: the value '%2' is not a number"),
                {number, shown(valueText)}));
            return;
        }
        // Values are kept as 32-bit floats: one that would show other digits than the file's
        // is refused rather than shown changed.
        if (const std::optional<std::string> kept = changedByFloat(valueText, v)) {
            bad(withArguments(translated("kv::CsvReader",
                                         "line %1: the value '%2' would be kept as %3 (values "
                                         "are kept as 32-bit floats)"),
                              {number, shown(valueText), shown(*kept)}));
            return;
        }
        value = v;
    }
    int codes[2] = {-1, -1};
    const int codeColumns[2] = {c.function, c.range};
    for (int i = 0; i < 2; ++i) {
        const std::string_view code = field(codeColumns[i]);
        if (code.empty())
            continue;
        int v = -1;
        const auto [end, ec] = std::from_chars(code.data(), code.data() + code.size(), v);
        if (ec != std::errc() || end != code.data() + code.size() || v < 0 || v > 255) {
            bad(withArguments(
                translated("kv::CsvReader", "line %1: the code '%2' is not a number from 0 to 255"),
                {number, shown(code)}));
            return;
        }
        codes[i] = v;
    }
    const std::string_view unit = field(c.unit);

    // The context: no unit and no codes is the gap before a session's first reading.
    std::uint32_t context = ReadingStore::kNoContext;
    if (!(unit.empty() && codes[0] < 0 && codes[1] < 0)) {
        const int function = std::max(codes[0], 0), range = std::max(codes[1], 0);
        if (!haveContext_ || unit != lastUnit_ || function != lastFunction_ ||
            range != lastRange_) {
            lastUnit_.assign(unit);
            lastFunction_ = function;
            lastRange_ = range;
            // A derived channel's row of a log of several channels has no codes.
            const bool hasCodes = c.channel == kNoColumn || codes[0] >= 0 || codes[1] >= 0;
            lastContext_ = store.contextOf(unit, static_cast<std::uint8_t>(function),
                                           static_cast<std::uint8_t>(range), hasCodes);
            haveContext_ = true;
        }
        context = lastContext_;
    }

    if (note) {
        // In its column, or in a log begun without one, in the field after the header's.
        const auto at = static_cast<std::size_t>(c.note != kNoColumn ? c.note : c.named);
        notes_.push_back(RecordNote{*time, std::string(at < fields.size() ? fields[at] : ""),
                                    context, store.size()});
        return;
    }
    if (rows_ == 0) {
        start_ = *time;
        double elapsed = 0;
        const std::string_view e = field(c.elapsed);
        const auto [end, ec] = std::from_chars(e.data(), e.data() + e.size(), elapsed);
        if (!e.empty() && ec == std::errc() && end == e.data() + e.size() &&
            std::isfinite(elapsed) && std::fabs(elapsed) < 1e12)
            start_ = *time - static_cast<TimeMs>(std::llround(elapsed * 1000.0));
    }
    store.append(*time, status, value, context);
    ++rows_;
}

} // namespace kv
