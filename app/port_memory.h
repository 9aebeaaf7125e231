#pragma once

#include "serial/port_table.h"

#include <optional>
#include <string>
#include <vector>

namespace kv {

// The identity a port is remembered by: "usb:<vendor>:<product>:<serial number>" (ids in
// four hex digits) for a USB device with a serial number, else "path:<device path>". Two
// adapters without serial numbers cannot be told apart, so those are known by their path.
std::string portIdentity(const PortEntry& port);

// The index of the port with that identity, or -1. A path identity also finds its device
// under another path that leads to the same place (a link and its target).
int findPort(const std::vector<PortEntry>& ports, const std::string& identity);

// The port a path identity names when `ports` does not list it but the path exists (a
// pseudo-terminal link, an rfcomm device): its entry as a device named on the command line
// gets it, to be listed in front. Nothing for a listed port, a USB identity or a path that
// leads nowhere.
std::optional<PortEntry> unlistedRememberedPort(const std::vector<PortEntry>& ports,
                                                const std::string& identity);

// The port the program last read a meter on, kept in the user's application settings
// (QSettings, organisation and application "kv27500"; on Linux
// $XDG_CONFIG_HOME/kv27500/kv27500.conf, by default under ~/.config).
class PortMemory {
public:
    // The remembered identity; empty when there is none.
    std::string lastPort() const;
    void setLastPort(const std::string& identity);
};

} // namespace kv
