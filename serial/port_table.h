#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kv {

// One serial device the user can pick. Texts are UTF-8; empty when unknown.
struct PortEntry {
    std::string name; // "COM<n>", given by the table
    std::string path; // the device path as it is opened, e.g. /dev/ttyUSB0 or a symlink
    std::string description;
    std::string manufacturer;
    std::string serialNumber;
    int vendorId = -1; // USB ids, -1 when the device is not on USB
    int productId = -1;

    bool hasUsbIdentity() const { return vendorId >= 0 && productId >= 0; }
    // Same USB vendor, product and serial number; devices without a serial number are
    // never taken for each other, since two identical adapters could not be told apart.
    bool sameUsbDevice(const PortEntry& o) const;
    // Several lines for the port box's tooltip: the path (and where a link points, or that
    // nothing is there now), the description, the maker, the USB ids and the serial
    // number, as far as known.
    std::string tooltip() const;
};

// The numbered list of ports behind the names "COM1", "COM2", ... Devices the program is
// given explicitly (command line, built-in simulator) come first in the order given; the
// system's ports follow in the order of sortSystemPorts(). A system port that is the same
// device as an explicit one (same resolved path) is listed once, at the explicit place.
class PortTable {
public:
    PortTable() = default;
    PortTable(std::vector<PortEntry> explicitDevices, std::vector<PortEntry> systemPorts);

    // The system's serial ports (Qt's port enumeration) behind the explicit devices.
    static PortTable fromSystem(const std::vector<PortEntry>& explicitDevices = {});
    // The system's serial ports, sorted.
    static std::vector<PortEntry> systemPorts();
    // An entry for a device path given explicitly; the details come from the system's
    // port list when the path (or what it links to) is one of its ports.
    static PortEntry describeDevice(const std::string& path, const std::string& description = {});

    // Stable order: USB devices first, by vendor id, product id, serial number and path;
    // then every other port by path in natural order (ttyS2 before ttyS10).
    static void sortSystemPorts(std::vector<PortEntry>& ports);

    const std::vector<PortEntry>& entries() const { return entries_; }
    bool empty() const { return entries_.empty(); }
    // The entry named "COM<n>", or nullptr.
    const PortEntry* find(std::string_view name) const;

private:
    std::vector<PortEntry> entries_;
};

// The path with every symbolic link resolved, or the path itself when it does not resolve.
std::string resolvedPath(const std::string& path);

// Compares texts with runs of digits taken as numbers: "ttyS2" < "ttyS10".
bool naturalLess(std::string_view a, std::string_view b);

} // namespace kv
