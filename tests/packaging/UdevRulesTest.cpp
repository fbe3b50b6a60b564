// The device rules the package installs against the FTDI output itself: the rule hands out
// exactly the USB ids the driver tries to open, on the USB device alone, and nothing else.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "output/ftdi/LinuxFtdiDevice.h"

namespace zeb {
namespace {

std::string UsbId(int vendor, int product) {
    char text[16];
    std::snprintf(text, sizeof text, "%04x:%04x", vendor, product);
    return text;
}

// No chip on the bus: the driver tries every product it knows and records each id pair.
class NoChipFtdiCalls : public FtdiCalls {
  public:
    std::set<std::string>* tried;
    explicit NoChipFtdiCalls(std::set<std::string>* out) : tried(out) {}
    int UsbOpen(int vendor, int product, unsigned) override {
        tried->insert(UsbId(vendor, product));
        return -3;
    }
    int UsbClose() override { return 0; }
    int SetBitmode(uint8_t, uint8_t) override { return -1; }
    int SetBaudrate(int) override { return -1; }
    int WriteData(const uint8_t*, int) override { return -1; }
    int ReadPins(uint8_t*) override { return -1; }
};

std::vector<std::string> RuleLines() {
    std::ifstream in(ZEB_UDEV_RULES);
    EXPECT_TRUE(in) << ZEB_UDEV_RULES;
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line[0] != '#')
            lines.push_back(line);
    }
    return lines;
}

TEST(UdevRules, FtdiRuleGrantsExactlyTheChipsTheDriverOpensOnTheDeviceItself) {
    std::set<std::string> tried;
    LinuxFtdiDevice device(std::make_shared<NoChipFtdiCalls>(&tried));
    EXPECT_LT(device.Open(0), 0);
    ASSERT_FALSE(tried.empty());

    std::set<std::string> granted;
    int ftdiRules = 0;
    const std::regex vendor(R"re(ATTR\{idVendor\}=="([0-9a-f]{4})")re");
    const std::regex product(R"re(ATTR\{idProduct\}=="([0-9a-f|]+)")re");
    for (const std::string& line : RuleLines()) {
        EXPECT_EQ(line.find("ATTRS{"), std::string::npos) << "matches a parent device: " << line;
        if (line.find("idVendor") == std::string::npos)
            continue;
        ++ftdiRules;
        std::smatch v, p;
        ASSERT_TRUE(std::regex_search(line, v, vendor)) << line;
        ASSERT_TRUE(std::regex_search(line, p, product)) << "no product ids: " << line;
        EXPECT_NE(line.find(R"(ENV{DEVTYPE}=="usb_device")"), std::string::npos) << line;
        std::stringstream ids(p[1].str());
        for (std::string id; std::getline(ids, id, '|');) {
            granted.insert(v[1].str() + ":" + id);
        }
    }
    EXPECT_EQ(ftdiRules, 1);
    EXPECT_EQ(granted, tried);
}

}  // namespace
}  // namespace zeb
