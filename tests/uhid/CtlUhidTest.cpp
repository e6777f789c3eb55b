// The tarnwell-ctl program itself, run as a separate process on the hidapi backend against clocks
// that the kernel hosts through /dev/uhid, as a boot script or a monitoring job would run it.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>

#include "JsonReader.h"
#include "UhidClockProcess.h"
#include "device/FeatureReport.h"
#include "planning/PllSettings.h"
#include "planning/SetFrequencyCommand.h"

namespace tarnwell {
namespace {

using namespace std::chrono_literals;
using testing::JsonNode;
using testing::JsonReader;
using uhidclock::LoggedReport;
using uhidclock::UhidClockProcess;

struct Ran {
    int status = -1;
    std::string out;
    std::optional<JsonNode> json() const { return JsonReader::parse(out); }
};

// Standard error goes to the test's log, where a failure is read.
Ran runCtl(const std::string& arguments) {
    Ran ran;
    const std::string command = std::string(TARNWELL_CTL_PROGRAM) + " " + arguments;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return ran;
    std::array<char, 4096> chunk;
    while (const std::size_t n = std::fread(chunk.data(), 1, chunk.size(), pipe))
        ran.out.append(chunk.data(), n);
    const int wait = pclose(pipe);
    ran.status = WIFEXITED(wait) ? WEXITSTATUS(wait) : -1;
    return ran;
}

std::vector<LoggedReport> setFrequencyReports(const std::vector<LoggedReport>& log) {
    std::vector<LoggedReport> found;
    for (const LoggedReport& report : log) {
        if (report.kind == "set-feature" && report.bytes.size() > 1 &&
            report.bytes[1] == static_cast<std::uint8_t>(CommandCode::CmdSetFrequency))
            found.push_back(report);
    }
    return found;
}

TEST(CtlOnUhid, ListSetShowAndStatusOnTheKernelsHidStack) {
    if (!uhidclock::uhidAvailable())
        GTEST_SKIP() << "needs /dev/uhid: runs inside the VM of scripts/uhid-vm/run.sh";
    UhidClockProcess rig({"UHID-C1"});
    ASSERT_TRUE(rig.running());
    ASSERT_TRUE(rig.request("status UHID-C1 7 2").ok);

    Ran listed;
    ASSERT_TRUE(uhidclock::eventually(
        [&] {
            listed = runCtl("list --json");
            return listed.json() && (*listed.json())["clocks"].items.size() == 1;
        },
        5s))
        << listed.out;
    const std::optional<JsonNode> list = listed.json();
    const JsonNode& clock = (*list)["clocks"][0];
    EXPECT_EQ(clock["SerNo"].text, "UHID-C1");
    EXPECT_EQ(clock["lblProduct"].text, "Tarnwell uhid clock");
    EXPECT_TRUE(clock["canOpen"].boolean);
    EXPECT_EQ(clock["path"].text.rfind("/dev/hidraw", 0), 0u) << clock["path"].text;

    ASSERT_TRUE(rig.request("clear-log UHID-C1").ok);
    const Ran set = runCtl("set 10000000 -s UHID-C1");
    ASSERT_EQ(set.status, 0) << set.out;
    // What Find and Update send for 10 MHz to a clock whose serial gives BW 15, twice.
    const PllBoxValues documented{4687500, 5, 11, 512, 11, 48, 48, 0, 15};
    const FeatureReport expected = *setFrequencyReport(encodePllSettings(documented).bytes, 65);
    const std::vector<LoggedReport> sent = setFrequencyReports(rig.log("UHID-C1"));
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].bytes, expected);
    EXPECT_EQ(sent[1].bytes, expected);

    const Ran shown = runCtl("show --json");
    ASSERT_EQ(shown.status, 0) << shown.out;
    const std::optional<JsonNode> parsed = shown.json();
    ASSERT_TRUE(parsed) << shown.out;
    const JsonNode& s = *parsed;
    EXPECT_EQ(s["GPS"].number, 4687500);
    EXPECT_EQ(s["N31"].number, 5);
    EXPECT_EQ(s["N2_HS"].number, 11);
    EXPECT_EQ(s["N2_LS"].number, 512);
    EXPECT_EQ(s["N1_HS"].number, 11);
    EXPECT_EQ(s["NC1_LS"].number, 48);
    EXPECT_EQ(s["NC2_LS"].number, 48);
    EXPECT_EQ(s["BW"].number, 15);
    EXPECT_EQ(s["Out1Freq"].number, 10000000);

    const Ran status = runCtl("status --json --timeout 5");
    ASSERT_EQ(status.status, 0) << status.out;
    const std::optional<JsonNode> live = status.json();
    ASSERT_TRUE(live) << status.out;
    EXPECT_EQ((*live)["SignalLossCount"].number, 7);
    EXPECT_FALSE((*live)["LOS"].boolean);
    EXPECT_TRUE((*live)["LOL"].boolean);

    EXPECT_EQ(runCtl("show -s UHID-NONE").status, 3);
}

TEST(CtlOnUhid, ShowAndSetGiveUpOnAStalledClockWithStatus6) {
    if (!uhidclock::uhidAvailable())
        GTEST_SKIP() << "needs /dev/uhid: runs inside the VM of scripts/uhid-vm/run.sh";
    UhidClockProcess rig({"UHID-C2"});
    ASSERT_TRUE(rig.running());
    ASSERT_TRUE(uhidclock::eventually([&] { return runCtl("list").status == 0; }, 5s));
    ASSERT_TRUE(rig.request("stall UHID-C2").ok);
    for (const char* command : {"show", "set 10000000"}) {
        const auto start = std::chrono::steady_clock::now();
        const Ran ran = runCtl(std::string(command) + " -s UHID-C2");
        const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - start);
        std::cout << "uhid-stall: tarnwell-ctl " << command << " gave up after " << took.count()
                  << " ms" << std::endl;
        EXPECT_EQ(ran.status, 6) << command;
        EXPECT_LT(took, 2500ms) << command;
    }
    ASSERT_TRUE(rig.request("resume UHID-C2").ok);
}

}  // namespace
}  // namespace tarnwell
