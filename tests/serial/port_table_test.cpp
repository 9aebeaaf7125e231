#include "serial/port_table.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <unistd.h>

namespace kv {
namespace {

PortEntry port(const std::string& path, int vid = -1, int pid = -1,
               const std::string& serial = {}) {
    PortEntry e;
    e.path = path;
    e.vendorId = vid;
    e.productId = pid;
    e.serialNumber = serial;
    return e;
}

std::vector<std::string> paths(const PortTable& t) {
    std::vector<std::string> out;
    for (const auto& e : t.entries())
        out.push_back(e.path);
    return out;
}

TEST(NaturalOrder, NumbersCompareByValue) {
    EXPECT_TRUE(naturalLess("ttyS2", "ttyS10"));
    EXPECT_FALSE(naturalLess("ttyS10", "ttyS2"));
    EXPECT_TRUE(naturalLess("ttyACM0", "ttyS0"));
    EXPECT_TRUE(naturalLess("/dev/ttyUSB9", "/dev/ttyUSB10"));
    EXPECT_TRUE(naturalLess("ttyS", "ttyS0"));
    EXPECT_FALSE(naturalLess("ttyS3", "ttyS3"));
    // Leading zeros do not change the number but still give a fixed order.
    EXPECT_TRUE(naturalLess("ttyS01", "ttyS1") != naturalLess("ttyS1", "ttyS01"));
    EXPECT_TRUE(naturalLess("ttyS007", "ttyS8"));
}

TEST(PortTable, SystemPortsInStableOrderUsbFirst) {
    std::vector<PortEntry> system = {
        port("/dev/ttyS10"),
        port("/dev/ttyUSB1", 0x067b, 0x2303, "B"),
        port("/dev/ttyS2"),
        port("/dev/ttyACM0", 0x2341, 0x0043, "X"),
        port("/dev/ttyUSB0", 0x067b, 0x2303, "A"),
    };
    PortTable table({}, system);
    EXPECT_EQ(paths(table),
              (std::vector<std::string>{"/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyACM0",
                                        "/dev/ttyS2", "/dev/ttyS10"}));
    // The order does not depend on the order the system listed them in.
    std::reverse(system.begin(), system.end());
    EXPECT_EQ(paths(PortTable({}, system)), paths(table));
    for (std::size_t i = 0; i < table.entries().size(); ++i)
        EXPECT_EQ(table.entries()[i].name, "COM" + std::to_string(i + 1));
}

TEST(PortTable, ExplicitDevicesFirstAndListedOnce) {
    const std::string dir = ::testing::TempDir() + "kv-port-table-" + std::to_string(::getpid());
    std::filesystem::create_directories(dir);
    const std::string link = dir + "/meter";
    std::filesystem::remove(link);
    std::filesystem::create_symlink("/dev/null", link);

    PortEntry sim = port("/tmp/simulated-meter");
    sim.description = "Simulated meter";
    PortTable table({port(link), sim}, {port("/dev/ttyS0"), port("/dev/null")});
    // /dev/null is the same device as the link and stays at the link's place.
    EXPECT_EQ(paths(table), (std::vector<std::string>{link, "/tmp/simulated-meter", "/dev/ttyS0"}));
    ASSERT_NE(table.find("COM2"), nullptr);
    EXPECT_EQ(table.find("COM2")->description, "Simulated meter");
    EXPECT_EQ(table.find("com3")->path, "/dev/ttyS0");
    EXPECT_EQ(table.find("COM0"), nullptr);
    EXPECT_EQ(table.find("COM4"), nullptr);
    EXPECT_EQ(table.find("COM"), nullptr);
    std::filesystem::remove_all(dir);
}

TEST(PortTable, EmptyWithoutPorts) {
    PortTable table({}, {});
    EXPECT_TRUE(table.empty());
    EXPECT_EQ(table.find("COM1"), nullptr);
    EXPECT_TRUE(PortTable({port("")}, {}).empty()) << "an empty path is no device";
}

TEST(PortTable, TooltipNamesWhatIsKnown) {
    PortEntry usb = port("/dev/ttyUSB0", 0x067b, 0x2303, "A12");
    usb.description = "USB-Serial Controller";
    usb.manufacturer = "Prolific";
    const std::string tip = usb.tooltip();
    for (const char* part :
         {"/dev/ttyUSB0", "USB-Serial Controller", "Prolific", "067b:2303", "A12"})
        EXPECT_NE(tip.find(part), std::string::npos) << part << " missing in\n" << tip;

    const std::string plain = port("/dev/ttyS0").tooltip();
    EXPECT_EQ(plain.find("USB"), std::string::npos) << plain;
    EXPECT_EQ(plain.find("Serial number"), std::string::npos) << plain;
}

TEST(PortTable, TooltipShowsWhereALinkPoints) {
    const std::string link = ::testing::TempDir() + "kv-tip-" + std::to_string(::getpid());
    std::filesystem::remove(link);
    std::filesystem::create_symlink("/dev/null", link);
    EXPECT_NE(port(link).tooltip().find("/dev/null"), std::string::npos);
    std::filesystem::remove(link);
}

TEST(PortTable, ADeviceThatIsAwayIsListedAsNotPresent) {
    const PortEntry missing = PortTable::describeDevice("/nonexistent/ttyUSB7", "Bench meter");
    EXPECT_EQ(missing.path, "/nonexistent/ttyUSB7");
    EXPECT_EQ(missing.tooltip(), "/nonexistent/ttyUSB7 (not present)\nBench meter");

    // A link whose device went away is not there either; one whose device is, is.
    const std::string link = ::testing::TempDir() + "kv-away-" + std::to_string(::getpid());
    std::filesystem::remove(link);
    std::filesystem::create_symlink("/nonexistent/ttyUSB7", link);
    EXPECT_EQ(PortTable::describeDevice(link).tooltip(), link + " (not present)");
    std::filesystem::remove(link);
    EXPECT_EQ(PortTable::describeDevice("/dev/null").tooltip().find("not present"),
              std::string::npos);
}

TEST(PortTable, UsbIdentityNeedsSerialNumber) {
    EXPECT_TRUE(port("/a", 1, 2, "S").sameUsbDevice(port("/b", 1, 2, "S")));
    EXPECT_FALSE(port("/a", 1, 2, "S").sameUsbDevice(port("/b", 1, 2, "T")));
    EXPECT_FALSE(port("/a", 1, 2, "S").sameUsbDevice(port("/b", 1, 3, "S")));
    EXPECT_FALSE(port("/a", 1, 2).sameUsbDevice(port("/b", 1, 2)));
    EXPECT_FALSE(port("/a").sameUsbDevice(port("/b")));
}

TEST(PortTable, SystemListingDoesNotFail) {
    // Whatever this machine has: every entry has a path and a COM name in sequence.
    PortTable table = PortTable::fromSystem({port("/dev/null")});
    ASSERT_FALSE(table.empty());
    EXPECT_EQ(table.entries().front().path, "/dev/null");
    for (std::size_t i = 0; i < table.entries().size(); ++i) {
        EXPECT_FALSE(table.entries()[i].path.empty());
        EXPECT_EQ(table.entries()[i].name, "COM" + std::to_string(i + 1));
    }
}

} // namespace
} // namespace kv
