#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "device/DeviceIds.h"
#include "host/UdevRule.h"
#include "host/UsbIdOption.h"
#include "host/UsbIdSettings.h"

using namespace tarnwell;

namespace {

constexpr UsbId kOther{0x1234, 0xabcd};
// The build's pair, as configured (cmake/DeviceIds.cmake).
constexpr UsbId kBuilt{DeviceVendorId, DeviceProductId};

struct FakeMachine {
    std::map<std::string, std::string> variables;
    std::map<std::string, std::string> files;
    SettingsPlatform platform(bool windows = false) const {
        SettingsPlatform p;
        p.windows = windows;
        p.environment = [this](const std::string& name) -> std::optional<std::string> {
            const auto found = variables.find(name);
            return found == variables.end() ? std::nullopt : std::optional(found->second);
        };
        p.readFile = [this](const std::string& path) -> std::optional<std::string> {
            const auto found = files.find(path);
            return found == files.end() ? std::nullopt : std::optional(found->second);
        };
        return p;
    }
};

TEST(UsbIdSettings, TheFirstSourceThatNamesIdsWinsAndAMalformedEntryFallsBackToTheBuilds) {
    FakeMachine machine{{{"HOME", "/home/u"}, {"XDG_CONFIG_DIRS", "/opt/xdg:/etc/xdg"}}, {}};
    EXPECT_EQ(usbIdSettingsFiles(machine.platform()),
              (std::vector<std::string>{"/home/u/.config/tarnwell/usb-ids.conf",
                                        "/opt/xdg/tarnwell/usb-ids.conf",
                                        "/etc/xdg/tarnwell/usb-ids.conf"}));
    EXPECT_EQ(resolveUsbIds({}, machine.platform()).origin, "the build's default");

    machine.files["/etc/xdg/tarnwell/usb-ids.conf"] = "1111:2222\n";
    machine.files["/home/u/.config/tarnwell/usb-ids.conf"] = "# none here\n\n";
    EXPECT_EQ(resolveUsbIds({}, machine.platform()).ids, (UsbIdList{{0x1111, 0x2222}}));
    machine.files["/home/u/.config/tarnwell/usb-ids.conf"] = "1234:abcd # ours\n1234:ABCD\n";
    const UsbIdsInForce user = resolveUsbIds({}, machine.platform());
    EXPECT_EQ(user.ids, UsbIdList{kOther});
    EXPECT_EQ(user.origin, "/home/u/.config/tarnwell/usb-ids.conf");
    machine.variables["TARNWELL_USB_IDS"] = "1:2, 3:4 5:6";
    EXPECT_EQ(resolveUsbIds({}, machine.platform()).ids, (UsbIdList{{1, 2}, {3, 4}, {5, 6}}));
    EXPECT_EQ(resolveUsbIds({{7, 8}}, machine.platform()).ids, (UsbIdList{{7, 8}}));

    machine.variables["TARNWELL_USB_IDS"] = "1:2,x";
    EXPECT_EQ(
        resolveUsbIds({}, machine.platform()).complaints.at(0),
        "TARNWELL_USB_IDS: \"x\" is not a USB id VID:PID (such as " + usbIdText(kBuilt) + ")");
    machine.variables.erase("TARNWELL_USB_IDS");
    machine.files["/home/u/.config/tarnwell/usb-ids.conf"] = "1234:abcd\n\n1234 abcd\n";
    const UsbIdsInForce refused = resolveUsbIds({}, machine.platform());
    EXPECT_EQ(refused.ids, defaultUsbIds());
    EXPECT_EQ(refused.complaints.at(0).substr(0, 53),
              "/home/u/.config/tarnwell/usb-ids.conf:3: \"1234 abcd\" ");

    FakeMachine windows{{{"APPDATA", "C:\\Users\\u\\AppData\\Roaming"}, {"PROGRAMDATA", "C:\\PD"}},
                        {}};
    EXPECT_EQ(usbIdSettingsFiles(windows.platform(true)),
              (std::vector<std::string>{"C:\\Users\\u\\AppData\\Roaming\\tarnwell\\usb-ids.conf",
                                        "C:\\PD\\tarnwell\\usb-ids.conf"}));
}

// The settings file as the machine holds it: read whole and in time linear in its size when it
// is a regular file within its limit, refused with its reason otherwise, never skipped silently.
TEST(UsbIdSettings, TheFileIsReadWhenRegularAndWithinItsSizeAndRefusedWithTheReasonOtherwise) {
    namespace fs = std::filesystem;
    const fs::path home =
        fs::temp_directory_path() / ("tarnwell-settings-" + std::to_string(std::random_device{}()));
    const fs::path file = home / ".config" / "tarnwell" / "usb-ids.conf";
    // 10 bytes each, just within the size: a reading quadratic in the lines takes many seconds.
    std::string manyIds;
    for (int i = 0; i < 100000; ++i)
        manyIds +=
            usbIdText(UsbId{static_cast<std::uint16_t>(i >> 16), static_cast<std::uint16_t>(i)}) +
            "\n";
    struct Row {
        std::function<void()> make;
        std::size_t ids;        // how many are in force
        std::string complaint;  // a part of it; empty for none
    };
    const auto write = [&](std::string text) {
        return [&file, text] { std::ofstream(file, std::ios::binary) << text; };
    };
    const std::vector<Row> rows = {
        {write("\xEF\xBB\xBF"
               "1234:abcd\n"),
         1, ""},
        {write(manyIds), 1, "usb-ids.conf: more than 1000 USB ids"},
        {write("1:2\n3:4 # again:\n1:2\n"), 2, ""},
        {write(std::string(kSettingsFileLimit + 1, '#')), 1, "usb-ids.conf: larger than 1 MiB"},
        {write("1234:abcd\n\x1b[31m:1\n"), 1, "usb-ids.conf:2: \"\\x1b[31m:1\" is not a USB id"},
        {[&] { fs::create_directory(file); }, 1, "usb-ids.conf: a directory, not a regular file"},
#ifndef _WIN32
        {[&] { fs::create_symlink(file, file); }, 1,
         "usb-ids.conf: Too many levels of symbolic links"},
        {[&] { ::mkfifo(file.c_str(), 0600); }, 1, "usb-ids.conf: a FIFO, not a regular file"},
        {[&] { fs::create_symlink("/dev/zero", file); }, 1, "usb-ids.conf: a character device"},
#endif
    };
    FakeMachine machine{{{"HOME", home.string()}, {"XDG_CONFIG_DIRS", (home / "none").string()}},
                        {}};
    SettingsPlatform platform = machine.platform();
    platform.readFile = thisPlatform().readFile;
    for (const Row& row : rows) {
        fs::remove_all(home);
        fs::create_directories(file.parent_path());
        row.make();
        const auto start = std::chrono::steady_clock::now();
        const UsbIdsInForce ids = resolveUsbIds({}, platform);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2)) << "linear";
        EXPECT_EQ(ids.ids.size(), row.ids) << row.complaint;
        EXPECT_EQ(ids.complaints.size(), row.complaint.empty() ? 0u : 1u) << row.complaint;
        if (!ids.complaints.empty()) {
            EXPECT_NE(ids.complaints.front().find(row.complaint), std::string::npos)
                << ids.complaints.front();
        }
    }
    fs::remove_all(home);
}

TEST(UdevRule, GrantsTheIdsItIsWrittenForAndTellsEachCauseOfARefusal) {
    const std::string rule = udevRule({kOther, kBuilt});
    EXPECT_NE(
        rule.find("KERNEL==\"hidraw*\", ATTRS{idVendor}==\"1234\", ATTRS{idProduct}==\"abcd\", "
                  "TAG+=\"uaccess\"\n"),
        std::string::npos);
    EXPECT_NE(
        rule.find("ATTRS{serial}==\"?*\", TAG+=\"systemd\", SYMLINK+=\"tarnwell/$attr{serial}\""),
        std::string::npos);
    EXPECT_EQ(ruleGrant(rule).ids, (UsbIdList{kOther, kBuilt}));
    EXPECT_FALSE(ruleGrant(rule).viaGroup);
    EXPECT_TRUE(ruleGrant(udevRule({kOther}, "plugdev")).viaGroup);
    // The package's rule: the person at the seat, and the services' group, which is no person's.
    const std::string packaged = udevRule({kOther}, kServiceGroup);
    EXPECT_NE(packaged.find("TAG+=\"uaccess\", GROUP=\"tarnwell\", MODE=\"0660\"\n"),
              std::string::npos);
    EXPECT_FALSE(ruleGrant(packaged).viaGroup);

    FakeMachine machine{{{"XDG_SEAT", "seat0"}}, {}};
    const auto advice = [&](const UsbId& clock) {
        return permissionAdvice(permissionFactsHere(machine.platform()), clock);
    };
    EXPECT_NE(advice(kOther).find("No udev rule"), std::string::npos);
    machine.files["/usr/lib/udev/rules.d/70-tarnwell.rules"] = udevRule(defaultUsbIds());
    EXPECT_NE(advice(kOther).find("does not cover this clock's USB ids 1234:abcd"),
              std::string::npos);
    EXPECT_NE(advice(kOther).find("tarnwell-ctl udev-rule | sudo tee"), std::string::npos);
    EXPECT_NE(advice(defaultUsbIds().front()).find("unplug and replug"), std::string::npos);
    machine.variables.clear();
    EXPECT_NE(advice(defaultUsbIds().front()).find("udev-rule --group plugdev"), std::string::npos);
    // A rule in /etc overrides the package's.
    machine.files["/etc/udev/rules.d/70-tarnwell.rules"] = udevRule({kOther}, "plugdev");
    EXPECT_NE(advice(kOther).find("unplug and replug"), std::string::npos);
}

// Both programs' --usb-id: every id kept in the order given, the first malformed value named
// safely, and the settings files the help names as people write them.
TEST(UsbIdOption, ReadsEveryIdAndNamesTheFirstMalformedValue) {
    struct Row {
        std::vector<std::string> texts;
        UsbIdList ids;
        std::string complaint;
    };
    const std::string needs = "--usb-id needs VID:PID in hex, such as " + usbIdText(kBuilt);
    const std::vector<Row> rows = {
        {{"1234:ABCD", " 1:2"}, {kOther, {1, 2}}, ""},
        {{"1:2", "x", "1234"}, {{1, 2}}, needs + ", not \"x\""},
        {{"\x1b[2J"}, {}, needs + ", not \"\\x1b[2J\""},
    };
    for (const Row& row : rows) {
        const UsbIdOptionValues read = readUsbIdOption(row.texts);
        EXPECT_EQ(read.ids, row.ids) << row.complaint;
        EXPECT_EQ(read.complaint, row.complaint);
    }
#ifdef _WIN32
    const std::vector<std::string> shown{"%APPDATA%\\tarnwell\\usb-ids.conf",
                                         "%PROGRAMDATA%\\tarnwell\\usb-ids.conf"};
#else
    const std::vector<std::string> shown{"~/.config/tarnwell/usb-ids.conf",
                                         "/etc/xdg/tarnwell/usb-ids.conf"};
#endif
    EXPECT_EQ(usbIdSettingsFilesShown(), shown);
}

}  // namespace
