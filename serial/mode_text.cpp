#include "serial/mode_text.h"

#include <cctype>
#include <charconv>

namespace kv {

namespace {

// Reads a whole decimal number without sign; advances pos.
bool readNumber(std::string_view text, std::size_t& pos, int& out) {
    const char* first = text.data() + pos;
    const char* last = text.data() + text.size();
    if (first == last || !std::isdigit(static_cast<unsigned char>(*first)))
        return false;
    auto [end, ec] = std::from_chars(first, last, out);
    if (ec != std::errc())
        return false;
    pos += static_cast<std::size_t>(end - first);
    return true;
}

bool expect(std::string_view text, std::size_t& pos, char c) {
    if (pos >= text.size() || text[pos] != c)
        return false;
    ++pos;
    return true;
}

bool supportedBaud(int baud) {
    static constexpr int rates[] = {50,     75,      110,     134,     150,    200,    300,
                                    600,    1200,    1800,    2400,    4800,   9600,   19200,
                                    38400,  57600,   115200,  230400,  460800, 500000, 576000,
                                    921600, 1000000, 1152000, 1500000, 2000000};
    for (int r : rates)
        if (r == baud)
            return true;
    return false;
}

} // namespace

std::optional<SerialMode> parseModeText(std::string_view text) {
    if (text.size() < 3)
        return std::nullopt;
    for (std::size_t i = 0; i < 3; ++i)
        if (std::toupper(static_cast<unsigned char>(text[i])) != "COM"[i])
            return std::nullopt;
    SerialMode m;
    std::size_t pos = 3;
    if (!readNumber(text, pos, m.port) || !expect(text, pos, ':'))
        return std::nullopt;
    if (!readNumber(text, pos, m.baud) || !supportedBaud(m.baud) || !expect(text, pos, ','))
        return std::nullopt;
    if (pos >= text.size())
        return std::nullopt;
    m.parity = static_cast<char>(std::toupper(static_cast<unsigned char>(text[pos++])));
    if (std::string_view("NEOMS").find(m.parity) == std::string_view::npos)
        return std::nullopt;
    if (!expect(text, pos, ',') || !readNumber(text, pos, m.dataBits) || m.dataBits < 5 ||
        m.dataBits > 8 || !expect(text, pos, ','))
        return std::nullopt;
    if (!readNumber(text, pos, m.stopBits) || (m.stopBits != 1 && m.stopBits != 2))
        return std::nullopt;
    if (pos != text.size())
        return std::nullopt;
    return m;
}

std::string meterModeText(int portNumber) {
    return meterModeText("COM" + std::to_string(portNumber));
}

std::string meterModeText(const std::string& portName) {
    return portName + ":9600,N,8,1";
}

} // namespace kv
