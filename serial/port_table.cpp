#include "serial/port_table.h"

#include "core/translated.h"

#include <QSerialPortInfo>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sys/stat.h>
#include <tuple>

namespace kv {

namespace {

std::string hex4(int v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04x", v & 0xffff);
    return buf;
}

} // namespace

std::string resolvedPath(const std::string& path) {
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
    return real ? std::string(real.get()) : path;
}

bool naturalLess(std::string_view a, std::string_view b) {
    std::size_t i = 0, j = 0;
    auto digit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
    while (i < a.size() && j < b.size()) {
        if (digit(a[i]) && digit(b[j])) {
            std::size_t i0 = i, j0 = j;
            while (i0 < a.size() && a[i0] == '0')
                ++i0;
            while (j0 < b.size() && b[j0] == '0')
                ++j0;
            std::size_t i1 = i0, j1 = j0;
            while (i1 < a.size() && digit(a[i1]))
                ++i1;
            while (j1 < b.size() && digit(b[j1]))
                ++j1;
            // Longer run of significant digits is the larger number.
            if (i1 - i0 != j1 - j0)
                return i1 - i0 < j1 - j0;
            int c = a.substr(i0, i1 - i0).compare(b.substr(j0, j1 - j0));
            if (c != 0)
                return c < 0;
            i = i1;
            j = j1;
        } else {
            if (a[i] != b[j])
                return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
            ++i;
            ++j;
        }
    }
    if ((a.size() - i) != (b.size() - j))
        return a.size() - i < b.size() - j;
    return a < b; // "ttyS01" and "ttyS1" still have a fixed order
}

bool PortEntry::sameUsbDevice(const PortEntry& o) const {
    return hasUsbIdentity() && o.hasUsbIdentity() && !serialNumber.empty() &&
           vendorId == o.vendorId && productId == o.productId && serialNumber == o.serialNumber;
}

std::string PortEntry::tooltip() const {
    std::string t = path;
    struct stat st {};
    // A device given on the command line stays listed while it is away, so the user can
    // see why it does not answer.
    if (::stat(path.c_str(), &st) != 0 && (errno == ENOENT || errno == ENOTDIR)) {
        t = withArguments(translated("kv::PortEntry", "%1 (not present)"), {t});
    } else {
        const std::string real = resolvedPath(path);
        if (real != path)
            t += " (" + real + ")";
    }
    if (!description.empty())
        t += "\n" + description;
    if (!manufacturer.empty())
        t += "\n" + withArguments(translated("kv::PortEntry", "Maker: %1"), {manufacturer});
    if (hasUsbIdentity())
        t += "\nUSB " + hex4(vendorId) + ":" + hex4(productId);
    if (!serialNumber.empty())
        t += "\n" + withArguments(translated("kv::PortEntry", "Serial number: %1"), {serialNumber});
    return t;
}

void PortTable::sortSystemPorts(std::vector<PortEntry>& ports) {
    std::stable_sort(ports.begin(), ports.end(), [](const PortEntry& a, const PortEntry& b) {
        if (a.hasUsbIdentity() != b.hasUsbIdentity())
            return a.hasUsbIdentity();
        if (a.hasUsbIdentity()) {
            auto ka = std::tie(a.vendorId, a.productId, a.serialNumber);
            auto kb = std::tie(b.vendorId, b.productId, b.serialNumber);
            if (ka != kb)
                return ka < kb;
        }
        return naturalLess(a.path, b.path);
    });
}

PortTable::PortTable(std::vector<PortEntry> explicitDevices, std::vector<PortEntry> systemPorts) {
    sortSystemPorts(systemPorts);
    std::vector<std::string> seen;
    auto add = [&](PortEntry e) {
        std::string real = resolvedPath(e.path);
        if (e.path.empty() || std::find(seen.begin(), seen.end(), real) != seen.end())
            return;
        seen.push_back(real);
        e.name = "COM" + std::to_string(entries_.size() + 1);
        entries_.push_back(std::move(e));
    };
    for (auto& e : explicitDevices)
        add(std::move(e));
    for (auto& e : systemPorts)
        add(std::move(e));
}

std::vector<PortEntry> PortTable::systemPorts() {
    std::vector<PortEntry> ports;
    const auto infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& info : infos) {
        PortEntry e;
        e.path = info.systemLocation().toStdString();
        e.description = info.description().toStdString();
        e.manufacturer = info.manufacturer().toStdString();
        e.serialNumber = info.serialNumber().toStdString();
        if (info.hasVendorIdentifier() && info.hasProductIdentifier()) {
            e.vendorId = info.vendorIdentifier();
            e.productId = info.productIdentifier();
        }
        ports.push_back(std::move(e));
    }
    sortSystemPorts(ports);
    return ports;
}

PortEntry PortTable::describeDevice(const std::string& path, const std::string& description) {
    PortEntry e;
    const std::string real = resolvedPath(path);
    for (const PortEntry& p : systemPorts()) {
        if (resolvedPath(p.path) == real) {
            e = p;
            break;
        }
    }
    e.path = path;
    if (!description.empty())
        e.description = description;
    return e;
}

PortTable PortTable::fromSystem(const std::vector<PortEntry>& explicitDevices) {
    return PortTable(explicitDevices, systemPorts());
}

const PortEntry* PortTable::find(std::string_view name) const {
    for (const PortEntry& e : entries_)
        if (e.name.size() == name.size() &&
            std::equal(name.begin(), name.end(), e.name.begin(), [](char x, char y) {
                return std::toupper(static_cast<unsigned char>(x)) == y;
            }))
            return &e;
    return nullptr;
}

} // namespace kv
