#include "format/number_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace kv {

namespace {

constexpr int kPrecision = 18;     // significant digits of the decimal record
constexpr int kGeneralDigits = 15; // significant digits of the general format
constexpr int kNoZero = 1 << 20;   // "no 0 placeholder": beyond any real count

// A value as decimal digits: 0.d1d2d3... x 10^exponent.
struct DigitRecord {
    int exponent = 0; // digits before the decimal point
    bool negative = false;
    int count = 0; // digits in use; 0 means zero
    char digits[kPrecision + 1] = {};
};

constexpr int kMaxUtf8Bytes = 4;

bool isContinuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Bytes of the UTF-8 sequence that `lead` starts; 1 for ASCII and for any byte that cannot
// start a sequence, which then stands for one character of its own.
int sequenceLength(char lead) {
    const auto c = static_cast<unsigned char>(lead);
    if ((c & 0xE0) == 0xC0)
        return 2;
    if ((c & 0xF0) == 0xE0)
        return 3;
    if ((c & 0xF8) == 0xF0)
        return 4;
    return 1;
}

// Formats and results are UTF-8, but their limits are in characters.
std::size_t characterCount(std::string_view s) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < s.size(); ++count) {
        const std::size_t len = std::size_t(sequenceLength(s[i]));
        std::size_t k = 1;
        while (k < len && i + k < s.size() && isContinuation(s[i + k]))
            ++k;
        i += k;
    }
    return count;
}

// Fixed-size output: the result never exceeds kMaxFormattedLength characters, however many
// digits, group separators or exponent characters a long format asks for. Text arrives byte
// by byte, so the character count follows the UTF-8 sequences, and a character that no
// longer fits is dropped whole rather than cut.
class Output {
public:
    void put(char c) {
        if (pending_ > 0 && isContinuation(c)) {
            --pending_;
            if (accepting_)
                buf_[size_++] = c;
            return;
        }
        pending_ = sequenceLength(c) - 1;
        accepting_ = chars_ < kMaxFormattedLength;
        if (accepting_) {
            buf_[size_++] = c;
            ++chars_;
        }
    }
    void put(const char* s, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i)
            put(s[i]);
    }
    std::string str() const { return std::string(buf_, size_); }

private:
    char buf_[kMaxFormattedLength * kMaxUtf8Bytes];
    std::size_t size_ = 0;
    std::size_t chars_ = 0;
    int pending_ = 0; // continuation bytes still expected for the current character
    bool accepting_ = false;
};

bool isQuote(char c) {
    return c == '"' || c == '\'';
}

// Index of the quote that closes the quoted text starting at `i`; an unclosed quote
// runs to `end`, which is then returned.
std::size_t closingQuote(std::string_view f, std::size_t i, std::size_t end) {
    const std::size_t close = f.find(f[i], i + 1);
    return close == std::string_view::npos || close >= end ? end : close;
}

std::size_t skipQuoted(std::string_view f, std::size_t i, std::size_t end) {
    const std::size_t close = closingQuote(f, i, end);
    return close == end ? end : close + 1;
}

bool isExponentAt(std::string_view f, std::size_t i, std::size_t end) {
    return (f[i] == 'E' || f[i] == 'e') && i + 1 < end && (f[i + 1] == '+' || f[i + 1] == '-');
}

struct Section {
    std::size_t begin = 0, end = 0;
    bool present = false;
    bool usable() const { return present && end > begin; }
};

std::size_t sectionEnd(std::string_view f, std::size_t begin) {
    std::size_t i = begin;
    while (i < f.size()) {
        if (f[i] == ';')
            return i;
        i = isQuote(f[i]) ? skipQuoted(f, i, f.size()) : i + 1;
    }
    return f.size();
}

struct Sections {
    Section s[3];

    explicit Sections(std::string_view f) {
        std::size_t begin = 0;
        for (int k = 0; k < 3; ++k) {
            s[k].present = true;
            s[k].begin = begin;
            s[k].end = sectionEnd(f, begin);
            if (s[k].end >= f.size())
                break;
            begin = s[k].end + 1;
        }
    }

    // An absent or empty section stands in for section 1.
    int resolve(int wanted) const { return s[wanted].usable() ? wanted : 0; }
};

struct Picture {
    int digitCount = 0;
    int firstZero = kNoZero;
    int lastZero = 0;
    int decimalIndex = -1;
    bool grouping = false;
    bool scientific = false;
    int mandatoryInt = 0;       // integer places that always print
    int mandatoryFracLimit = 0; // minus the fraction places that always print
};

Picture scanSection(std::string_view f, const Section& sec) {
    Picture p;
    std::size_t i = sec.begin;
    while (i < sec.end) {
        const char c = f[i];
        if (c == '0' || c == '#') {
            if (c == '0') {
                if (p.firstZero == kNoZero)
                    p.firstZero = p.digitCount;
                p.lastZero = p.digitCount + 1;
            }
            ++p.digitCount;
            ++i;
        } else if (c == '.') {
            if (p.decimalIndex < 0)
                p.decimalIndex = p.digitCount;
            ++i;
        } else if (c == ',') {
            p.grouping = true;
            ++i;
        } else if (isQuote(c)) {
            i = skipQuoted(f, i, sec.end);
        } else if (isExponentAt(f, i, sec.end)) {
            p.scientific = true;
            i += 2;
            while (i < sec.end && f[i] == '0')
                ++i;
        } else {
            ++i;
        }
    }
    if (p.decimalIndex < 0)
        p.decimalIndex = p.digitCount;
    p.mandatoryInt = std::max(0, p.decimalIndex - p.firstZero);
    p.mandatoryFracLimit = std::min(0, p.decimalIndex - p.lastZero);
    return p;
}

// |value| to `precision` significant digits, rounded to nearest with ties to even on the
// exact binary value. to_chars rather than printf: printf writes the C library's decimal
// point, which becomes "," once a German desktop session's locale is in force. A value
// that is a double (every reading and axis value is) takes the double overload: the same
// digits, several times faster than the long double one.
DigitRecord toDigits(long double value, int precision) {
    DigitRecord r;
    char buf[64];
    const long double magnitude = std::fabs(value);
    const double narrow = static_cast<double>(magnitude);
    const std::to_chars_result res =
        static_cast<long double>(narrow) == magnitude
            ? std::to_chars(buf, buf + sizeof buf - 1, narrow, std::chars_format::scientific,
                            precision - 1)
            : std::to_chars(buf, buf + sizeof buf - 1, magnitude, std::chars_format::scientific,
                            precision - 1);
    *res.ptr = '\0';
    // buf: d.ddd...e+XX (no point when precision is 1)
    const char* p = buf;
    while (*p && *p != 'e' && r.count < precision) {
        if (*p >= '0' && *p <= '9')
            r.digits[r.count++] = *p;
        ++p;
    }
    while (*p && *p != 'e')
        ++p;
    r.exponent = (*p == 'e' ? std::atoi(p + 1) : 0) + 1;
    r.negative = std::signbit(value);
    return r;
}

void stripTrailingZeros(DigitRecord& r) {
    while (r.count > 0 && r.digits[r.count - 1] == '0')
        --r.count;
    if (r.count == 0)
        r.negative = false;
}

// Keeps `keep` digits, rounding half away from zero on the decimal digits. A record
// that rounds away entirely stays at its magnitude, which the place counting needs.
void roundTo(DigitRecord& r, int keep) {
    if (keep < 0) {
        r = DigitRecord{};
        return;
    }
    if (keep < r.count) {
        const bool up = r.digits[keep] >= '5';
        r.count = keep;
        if (up) {
            int i = keep - 1;
            while (i >= 0 && r.digits[i] == '9')
                --i;
            if (i < 0) {
                r.digits[0] = '1';
                r.count = 1;
                ++r.exponent;
            } else {
                ++r.digits[i];
                r.count = i + 1;
            }
        }
    }
    stripTrailingZeros(r);
}

void putUnsigned(Output& out, unsigned long value, int minDigits) {
    char buf[24];
    int n = 0;
    do {
        buf[n++] = char('0' + value % 10);
        value /= 10;
    } while (value != 0);
    for (int k = n; k < minDigits; ++k)
        out.put('0');
    while (n > 0)
        out.put(buf[--n]);
}

// The general text: 15 significant digits, plain between 1e-4 and 1e15, otherwise
// mantissa and exponent (1,5E+18).
std::string generalFormat(long double value) {
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    if (value == 0)
        return "0";
    DigitRecord r = toDigits(value, kGeneralDigits);
    stripTrailingZeros(r);
    const char dec = decimalChar();
    Output out;
    if (value < 0)
        out.put('-');
    const int sciExponent = r.exponent - 1;
    if (sciExponent >= -4 && sciExponent < kGeneralDigits) {
        if (r.exponent <= 0) {
            out.put('0');
            out.put(dec);
            for (int k = r.exponent; k < 0; ++k)
                out.put('0');
            out.put(r.digits, std::size_t(r.count));
        } else {
            for (int k = 0; k < std::max(r.count, r.exponent); ++k) {
                if (k == r.exponent)
                    out.put(dec);
                out.put(k < r.count ? r.digits[k] : '0');
            }
        }
    } else {
        out.put(r.digits[0]);
        if (r.count > 1) {
            out.put(dec);
            out.put(r.digits + 1, std::size_t(r.count - 1));
        }
        out.put('E');
        out.put(sciExponent < 0 ? '-' : '+');
        putUnsigned(out, static_cast<unsigned long>(std::abs(sciExponent)), 2);
    }
    return out.str();
}

class SectionWriter {
public:
    SectionWriter(std::string_view f, const Section& sec, const Picture& pic,
                  const DigitRecord& rec, bool firstSection)
        : f_(f), sec_(sec), pic_(pic), rec_(rec), first_(firstSection), dec_(decimalChar()),
          grp_(groupingChar()) {}

    std::string write() {
        if (rec_.negative && first_)
            out_.put('-');
        if (pic_.scientific) {
            place_ = pic_.decimalIndex;
            delta_ = 0;
        } else {
            place_ = std::max(rec_.exponent, pic_.decimalIndex);
            delta_ = rec_.exponent - pic_.decimalIndex;
        }
        std::size_t i = sec_.begin;
        while (i < sec_.end) {
            const char c = f_[i];
            if (c == '0' || c == '#') {
                placeholder();
                ++i;
            } else if (c == '.' || c == ',') {
                ++i;
            } else if (isQuote(c)) {
                const std::size_t close = closingQuote(f_, i, sec_.end);
                out_.put(f_.data() + i + 1, close - (i + 1));
                i = close == sec_.end ? close : close + 1;
            } else if (isExponentAt(f_, i, sec_.end)) {
                i = exponent(i);
            } else {
                out_.put(c);
                ++i;
            }
        }
        return out_.str();
    }

private:
    void placeholder() {
        if (delta_ == 0) {
            putDigit();
        } else if (delta_ > 0) {
            // More integer digits than the format has places: they all go here.
            for (int k = 0; k <= delta_; ++k)
                putDigit();
            delta_ = 0;
        } else {
            ++delta_;
            if (place_ <= pic_.mandatoryInt)
                writeDigit('0');
            --place_;
        }
    }

    void putDigit() {
        if (next_ < rec_.count)
            writeDigit(rec_.digits[next_++]);
        else if (place_ > pic_.mandatoryFracLimit)
            writeDigit('0');
        --place_;
    }

    void writeDigit(char d) {
        if (place_ == 0)
            out_.put(dec_);
        out_.put(d);
        if (pic_.grouping && place_ > 1 && place_ % 3 == 1)
            out_.put(grp_);
    }

    std::size_t exponent(std::size_t i) {
        out_.put(f_[i]);
        const bool alwaysSign = f_[i + 1] == '+';
        i += 2;
        int zeros = 0;
        while (i < sec_.end && f_[i] == '0') {
            ++zeros;
            ++i;
        }
        const int value = rec_.count == 0 ? 0 : rec_.exponent - pic_.decimalIndex;
        if (value < 0)
            out_.put('-');
        else if (alwaysSign)
            out_.put('+');
        putUnsigned(out_, static_cast<unsigned long>(std::abs(value)), std::clamp(zeros, 1, 4));
        return i;
    }

    std::string_view f_;
    Section sec_;
    const Picture& pic_;
    const DigitRecord& rec_;
    bool first_;
    char dec_, grp_;
    Output out_;
    int place_ = 0;
    int delta_ = 0;
    int next_ = 0;
};

} // namespace

std::string formatNumber(std::string_view format, long double value) {
    // A format is never longer in characters than in bytes, so most need no counting.
    if (format.size() > kMaxFormatLength && characterCount(format) > kMaxFormatLength)
        throw ConvertError("Format-String zu lang");

    const Sections sections(format);
    if (!sections.s[0].usable() || !std::isfinite(value))
        return generalFormat(value);

    int current = sections.resolve(value == 0 ? 2 : value < 0 ? 1 : 0);
    Picture pic = scanSection(format, sections.s[current]);

    DigitRecord rec;
    if (value != 0) {
        rec = toDigits(value, kPrecision);
        int keep;
        if (pic.scientific) {
            keep = pic.digitCount;
        } else {
            keep = std::min(rec.exponent + (pic.digitCount - pic.decimalIndex), kPrecision);
        }
        roundTo(rec, keep);
    }

    if (!pic.scientific && rec.exponent > kPrecision)
        return generalFormat(value);

    if (rec.count == 0) {
        const int zeroSection = sections.resolve(2);
        if (zeroSection != current) {
            current = zeroSection;
            pic = scanSection(format, sections.s[current]);
        }
    }

    return SectionWriter(format, sections.s[current], pic, rec, current == 0).write();
}

std::string withMoreDecimals(std::string_view format, int extra) {
    std::string out;
    std::size_t start = 0;
    while (start <= format.size()) {
        std::size_t end = start;
        // The section's end, its last digit placeholder before an exponent, and its point.
        std::size_t lastDigit = std::string_view::npos;
        bool point = false, exponent = false;
        char quote = 0;
        for (; end < format.size() && (quote || format[end] != ';'); ++end) {
            const char c = format[end];
            if (quote)
                quote = c == quote ? 0 : quote;
            else if (c == '"' || c == '\'')
                quote = c;
            else if ((c == 'E' || c == 'e') && end + 1 < format.size() &&
                     (format[end + 1] == '+' || format[end + 1] == '-'))
                exponent = true;
            else if (!exponent && (c == '0' || c == '#'))
                lastDigit = end;
            else if (!exponent && c == '.')
                point = true;
        }
        if (lastDigit == std::string_view::npos || extra <= 0) {
            out.append(format.substr(start, end - start));
        } else {
            out.append(format.substr(start, lastDigit + 1 - start));
            if (!point)
                out += '.';
            out.append(static_cast<std::size_t>(extra), '0');
            out.append(format.substr(lastDigit + 1, end - lastDigit - 1));
        }
        if (end >= format.size())
            break;
        out += ';';
        start = end + 1;
    }
    return out;
}

std::string signedField(std::string_view format, float value, bool plusSign) {
    std::string text = formatNumber(format, static_cast<long double>(value));
    if (plusSign && value > 0.0f && text != formatNumber(format, 0.0L))
        text.insert(text.begin(), '+');
    return text;
}

double pictureStep(std::string_view format) {
    int decimals = 0;
    bool digits = false, point = false;
    char quote = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (quote) {
            quote = c == quote ? 0 : quote;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == ';') {
            break;
        } else if ((c == 'E' || c == 'e') && i + 1 < format.size() &&
                   (format[i + 1] == '+' || format[i + 1] == '-')) {
            return 0;
        } else if (c == '0' || c == '#') {
            digits = true;
            decimals += point ? 1 : 0;
        } else if (c == '.') {
            point = true;
        }
    }
    return digits ? std::pow(10.0, -decimals) : 0.0;
}

} // namespace kv
