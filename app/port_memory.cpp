#include "app/port_memory.h"

#include <QSettings>
#include <cstdio>
#include <filesystem>

namespace kv {

namespace {

constexpr const char* kPathPrefix = "path:";
const QString kKey = QStringLiteral("ports/last");
// Fixed rather than the application's name, which follows the program file's name.
const QString kOrganisation = QStringLiteral("kv27500");
const QString kApplication = QStringLiteral("kv27500");

} // namespace

std::string portIdentity(const PortEntry& port) {
    if (port.hasUsbIdentity() && !port.serialNumber.empty()) {
        char ids[16];
        std::snprintf(ids, sizeof ids, "%04x:%04x", port.vendorId & 0xffff,
                      port.productId & 0xffff);
        return "usb:" + std::string(ids) + ":" + port.serialNumber;
    }
    return kPathPrefix + port.path;
}

int findPort(const std::vector<PortEntry>& ports, const std::string& identity) {
    if (identity.empty())
        return -1;
    for (std::size_t i = 0; i < ports.size(); ++i)
        if (portIdentity(ports[i]) == identity)
            return static_cast<int>(i);
    const std::string prefix = kPathPrefix;
    if (identity.compare(0, prefix.size(), prefix) != 0)
        return -1;
    const std::string target = resolvedPath(identity.substr(prefix.size()));
    for (std::size_t i = 0; i < ports.size(); ++i)
        if (!ports[i].path.empty() && resolvedPath(ports[i].path) == target)
            return static_cast<int>(i);
    return -1;
}

std::optional<PortEntry> unlistedRememberedPort(const std::vector<PortEntry>& ports,
                                                const std::string& identity) {
    const std::string prefix = kPathPrefix;
    if (identity.compare(0, prefix.size(), prefix) != 0 || findPort(ports, identity) >= 0)
        return std::nullopt;
    const std::string path = identity.substr(prefix.size());
    std::error_code error;
    if (path.empty() || !std::filesystem::exists(path, error))
        return std::nullopt;
    return PortTable::describeDevice(path);
}

std::string PortMemory::lastPort() const {
    const QSettings s(kOrganisation, kApplication);
    return s.value(kKey).toString().toStdString();
}

void PortMemory::setLastPort(const std::string& identity) {
    QSettings s(kOrganisation, kApplication);
    s.setValue(kKey, QString::fromStdString(identity));
}

} // namespace kv
