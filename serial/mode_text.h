#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kv {

// The line settings of a mode text "COM<n>:<baud>,<parity>,<data bits>,<stop bits>".
struct SerialMode {
    int port = 0; // the n of COM<n>
    int baud = 9600;
    char parity = 'N'; // 'N', 'E', 'O', 'M' (mark) or 'S' (space)
    int dataBits = 8;  // 5 to 8
    int stopBits = 1;  // 1 or 2

    std::string portName() const { return "COM" + std::to_string(port); }
};

// nullopt for anything that is not a complete, supported mode text: unknown baud rate,
// parity letter, data or stop bits, missing fields or trailing characters. The letters of
// "COM" and the parity letter may be given in either case.
std::optional<SerialMode> parseModeText(std::string_view text);

// The mode text the program opens its meter with: "COM<portNumber>:9600,N,8,1".
std::string meterModeText(int portNumber);
// The same for a port of the port table by its name: "COM3" becomes "COM3:9600,N,8,1".
std::string meterModeText(const std::string& portName);

} // namespace kv
