// The tarnwell-ctl program itself, run as a separate process on the hidapi backend against clocks
// that the kernel hosts through /dev/uhid, as a boot script or a monitoring job would run it.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>

#include "ToolJson.h"
#include "UhidClockProcess.h"
#include "commands/SetFrequencyCommand.h"
#include "device/FeatureReport.h"
#include "planning/PllSettings.h"

namespace tarnwell {
namespace {

using namespace std::chrono_literals;
using uhidclock::LoggedReport;
using uhidclock::UhidClockProcess;

struct Ran {
    int status = -1;
    std::string out;
    std::optional<Json> json() const {
        Json parsed = Json::parse(out, nullptr, false);
        return parsed.is_discarded() ? std::nullopt : std::optional(std::move(parsed));
    }
};

// Standard error goes to the test's log, where a failure is read. The environment, "NAME=VALUE
// ...", is the shell's prefix to the command.
Ran runCtl(const std::string& arguments, const std::string& environment = {}) {
    Ran ran;
    const std::string command =
        environment + " " + std::string(TARNWELL_CTL_PROGRAM) + " " + arguments;
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

// What Find and Update send for 10 MHz to a clock whose serial gives BW 15.
FeatureReport tenMegahertzReport() {
    const PllBoxValues documented{4687500, 5, 11, 512, 11, 48, 48, 0, 15};
    return *setFrequencyReport(encodePllSettings(documented).bytes, 65);
}

std::size_t clocksListed(const Ran& listed) {
    const std::optional<Json> list = listed.json();
    return list ? (*list).at("clocks").size() : 0;
}

// tarnwell-ctl in the background, as a service runs it.
class Background {
public:
    explicit Background(const std::string& arguments) {
        const std::string command = "exec " + std::string(TARNWELL_CTL_PROGRAM) + " " + arguments;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::execl("/bin/sh", "sh", "-c", command.c_str(), nullptr);
            ::_exit(127);
        }
    }
    ~Background() {
        if (pid_ > 0 && !ended()) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    void signal(int number) const { ::kill(pid_, number); }
    bool ended() { return ended_ = ended_ || ::waitpid(pid_, nullptr, WNOHANG) == pid_; }

private:
    pid_t pid_ = -1;
    bool ended_ = false;
};

std::string contents(const std::string& path) {
    std::stringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

// How long until the condition holds; nothing when it did not within `limit`.
std::optional<std::chrono::milliseconds> timeUntil(const std::function<bool()>& condition,
                                                   std::chrono::milliseconds limit) {
    const auto start = std::chrono::steady_clock::now();
    if (!uhidclock::eventually(condition, limit))
        return std::nullopt;
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start);
}

std::string temporaryFolder() {
    const char* const temporary = std::getenv("TMPDIR");
    std::string pattern =
        std::string(temporary != nullptr ? temporary : "/tmp") + "/tarnwell-ctl-XXXXXX";
    return ::mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
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
            return listed.json() && (*listed.json()).at("clocks").size() == 1;
        },
        5s))
        << listed.out;
    const std::optional<Json> list = listed.json();
    const Json& clock = (*list).at("clocks")[0];
    EXPECT_EQ(clock.at("serial"), "UHID-C1");
    EXPECT_EQ(clock.at("product"), "Tarnwell uhid clock");
    EXPECT_EQ(clock.at("can_open"), true);
    EXPECT_EQ(clock.at("path").get<std::string>().rfind("/dev/hidraw", 0), 0u) << clock.at("path");

    ASSERT_TRUE(rig.request("clear-log UHID-C1").ok);
    const Ran set = runCtl("set 10000000 -s UHID-C1");
    ASSERT_EQ(set.status, 0) << set.out;
    // Sent twice, as Find and Update does.
    const FeatureReport expected = tenMegahertzReport();
    const std::vector<LoggedReport> sent = setFrequencyReports(rig.log("UHID-C1"));
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].bytes, expected);
    EXPECT_EQ(sent[1].bytes, expected);

    const Ran shown = runCtl("show --json");
    ASSERT_EQ(shown.status, 0) << shown.out;
    const std::optional<Json> parsed = shown.json();
    ASSERT_TRUE(parsed) << shown.out;
    const Json& s = *parsed;
    EXPECT_EQ(s.at("GPS"), 4687500);
    EXPECT_EQ(s.at("N31"), 5);
    EXPECT_EQ(s.at("N2_HS"), 11);
    EXPECT_EQ(s.at("N2_LS"), 512);
    EXPECT_EQ(s.at("N1_HS"), 11);
    EXPECT_EQ(s.at("NC1_LS"), 48);
    EXPECT_EQ(s.at("NC2_LS"), 48);
    EXPECT_EQ(s.at("BW"), 15);
    EXPECT_EQ(s.at("out1_hz"), 10000000);

    const Ran status = runCtl("status --json --timeout 5");
    ASSERT_EQ(status.status, 0) << status.out;
    const std::optional<Json> live = status.json();
    ASSERT_TRUE(live) << status.out;
    EXPECT_EQ((*live).at("signal_losses"), 7);
    EXPECT_EQ((*live).at("gps_signal"), true);
    EXPECT_EQ((*live).at("pll_locked"), false);

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
        // Within its 1 s limit per request, plus starting the program under emulation.
        EXPECT_LT(took, 4s) << command;
    }
    ASSERT_TRUE(rig.request("resume UHID-C2").ok);
}

TEST(CtlOnUhid, MetricsMarkAStalledClockFailedInTimeRecoverAndEndOnSigterm) {
    if (!uhidclock::uhidAvailable())
        GTEST_SKIP() << "needs /dev/uhid: runs inside the VM of scripts/uhid-vm/run.sh";
    UhidClockProcess rig({"UHID-C5"});
    ASSERT_TRUE(rig.running());
    ASSERT_TRUE(uhidclock::eventually([&] { return runCtl("list").status == 0; }, 5s));
    const std::string up = "tarnwell_clock_up{serial=\"UHID-C5\"} 1";
    ASSERT_TRUE(rig.request("stall UHID-C5").ok);
    Ran once;
    const auto gaveUp = timeUntil(
        [&] { return (once = runCtl("status --prometheus --timeout 2")).status >= 0; }, 10s);
    std::cout << "uhid-stall: status --prometheus --timeout 2 gave up after " << gaveUp->count()
              << " ms" << std::endl;
    EXPECT_EQ(once.status, 0);
    EXPECT_LT(*gaveUp, 3s) << "2 s, plus starting the program under emulation";
    EXPECT_NE(once.out.find("reason=\"the clock did not answer the configuration request"),
              std::string::npos)
        << once.out;
    ASSERT_TRUE(rig.request("resume UHID-C5").ok);

    const std::string folder = temporaryFolder();
    const std::string file = folder + "/tarnwell.prom";
    Background watch("status --watch --textfile " + file);
    const auto showsUp = [&] { return contents(file).find(up) != std::string::npos; };
    ASSERT_TRUE(timeUntil(showsUp, 10s));
    ASSERT_TRUE(rig.request("stall UHID-C5").ok);
    const auto failed = timeUntil([&] { return !showsUp(); }, 10s);
    ASSERT_TRUE(failed);
    ASSERT_TRUE(rig.request("resume UHID-C5").ok);
    const auto recovered = timeUntil(showsUp, 10s);
    ASSERT_TRUE(recovered);
    ASSERT_TRUE(rig.request("stall UHID-C5").ok);
    std::this_thread::sleep_for(500ms);
    watch.signal(SIGTERM);
    const auto ended = timeUntil([&] { return watch.ended(); }, 10s);
    ASSERT_TRUE(rig.request("resume UHID-C5").ok);
    std::cout << "uhid-stall: the textfile marked the clock failed after " << failed->count()
              << " ms, up again " << recovered->count() << " ms after resume; SIGTERM ended it in "
              << (ended ? ended->count() : -1) << " ms" << std::endl;
    EXPECT_LT(*failed, 2s) << "about 1.5 s, under emulation";
    EXPECT_LT(*recovered, 3s);
    EXPECT_TRUE(ended && *ended < 1s);
    std::filesystem::remove_all(folder);
}

// The services' commands, read from their units, as the system user with only its group (the
// udev rule's GROUP and MODE), then as another user without it.
TEST(CtlOnUhid, TheServicesWorkAsTheirUserWithItsGroupAndAreRefusedWithoutIt) {
    if (!uhidclock::uhidAvailable() || ::geteuid() != 0)
        GTEST_SKIP() << "needs /dev/uhid and root (to give the node to a group)";
    UhidClockProcess rig({"UHID-S1"});
    ASSERT_TRUE(rig.running());
    Ran listed;
    ASSERT_TRUE(uhidclock::eventually(
        [&] { return clocksListed(listed = runCtl("list --json")) == 1; }, 5s));
    const std::string node = (*listed.json()).at("clocks")[0].at("path");
    constexpr int kServiceUser = 990;  // and its group
    ASSERT_EQ(::chown(node.c_str(), 0, kServiceUser), 0);
    ASSERT_EQ(::chmod(node.c_str(), 0660), 0);
    // Where both users reach it: the VM's TMPDIR is root's alone.
    std::string folder = "/run/tarnwell-services-XXXXXX";
    ASSERT_NE(::mkdtemp(folder.data()), nullptr);
    ASSERT_EQ(::chmod(folder.c_str(), 0777), 0);
    ASSERT_EQ(runCtl("show --json -s UHID-S1 > " + folder + "/UHID-S1.json").status, 0);
    const auto execStart = [&](const std::string& unit) {
        std::string line;
        for (std::ifstream file(std::string(TARNWELL_UNIT_DIR) + "/" + unit);
             std::getline(file, line) && line.rfind("ExecStart=", 0) != 0;) {
        }
        for (const auto& [from, to] : std::vector<std::pair<std::string, std::string>>{
                 {"ExecStart=/usr/bin/tarnwell-ctl ", ""},
                 {"/etc/tarnwell", folder},
                 {"/var/lib/prometheus/node-exporter", folder},
                 {"%I", "UHID-S1"}}) {
            for (std::size_t at; (at = line.find(from)) != std::string::npos;)
                line.replace(at, from.size(), to);
        }
        return line;
    };
    ASSERT_TRUE(rig.request("status UHID-S1 0 0").ok);  // locked: apply waits for lock
    for (const int user : {kServiceUser, kServiceUser + 1}) {
        const std::string as = "setpriv --reuid=" + std::to_string(user) +
                               " --regid=" + std::to_string(user) + " --clear-groups";
        const bool allowed = user == kServiceUser;
        const Ran applied = runCtl(execStart("tarnwell-apply@.service") + " 2>&1", as);
        EXPECT_EQ(applied.status, allowed ? 0 : 4) << applied.out;
        EXPECT_EQ(applied.out.find("permission denied") != std::string::npos, !allowed);
        // The watch runs until the service manager stops it.
        std::filesystem::remove(folder + "/tarnwell.prom");
        runCtl(execStart("tarnwell-metrics.service"), as + " timeout 5");
        const std::string metrics = contents(folder + "/tarnwell.prom");
        EXPECT_NE(metrics.find(allowed ? "tarnwell_clock_up{serial=\"UHID-S1\"} 1"
                                       : "reason=\"permission denied\""),
                  std::string::npos)
            << metrics;
    }
    std::filesystem::remove_all(folder);
}

TEST(CtlOnUhid, ApplyRestoresASavedConfigurationThatDiffMissedBefore) {
    if (!uhidclock::uhidAvailable())
        GTEST_SKIP() << "needs /dev/uhid: runs inside the VM of scripts/uhid-vm/run.sh";
    UhidClockProcess rig({"UHID-C3"});
    ASSERT_TRUE(rig.running());
    ASSERT_TRUE(uhidclock::eventually([&] { return runCtl("list").status == 0; }, 5s));
    ASSERT_EQ(runCtl("set 10000000 -s UHID-C3").status, 0);
    const Ran saved = runCtl("show --json -s UHID-C3");
    ASSERT_EQ(saved.status, 0) << saved.out;
    const std::string folder = temporaryFolder();
    ASSERT_FALSE(folder.empty());
    const std::string file = folder + "/clock.json";
    std::ofstream(file) << saved.out;

    ASSERT_EQ(runCtl("set 25000000 -s UHID-C3").status, 0);
    EXPECT_EQ(runCtl("diff " + file).status, 9);
    ASSERT_TRUE(rig.request("clear-log UHID-C3").ok);
    const Ran applied = runCtl("apply " + file);
    EXPECT_EQ(applied.status, 0) << applied.out;
    const std::vector<LoggedReport> sent = setFrequencyReports(rig.log("UHID-C3"));
    ASSERT_FALSE(sent.empty());
    for (const LoggedReport& report : sent)
        EXPECT_EQ(report.bytes, tenMegahertzReport());
    EXPECT_EQ(runCtl("diff " + file).status, 0);
    EXPECT_EQ(runCtl("show --json -s UHID-C3").json(), saved.json());
    std::filesystem::remove_all(folder);
}

TEST(CtlOnUhid, AClockWithOtherUsbIdsIsFoundAfterOneLineInTheSettingsFile) {
    if (!uhidclock::uhidAvailable())
        GTEST_SKIP() << "needs /dev/uhid: runs inside the VM of scripts/uhid-vm/run.sh";
    UhidClockProcess rig({"UHID-C4"}, 100ms, "1234:abcd");
    ASSERT_TRUE(rig.running());
    const std::string folder = temporaryFolder();
    ASSERT_FALSE(folder.empty());
    std::filesystem::create_directories(folder + "/tarnwell");
    std::ofstream(folder + "/tarnwell/usb-ids.conf") << "1234:abcd\n";

    const std::string settings = "XDG_CONFIG_HOME=" + folder;
    EXPECT_TRUE(uhidclock::eventually(
        [&] { return clocksListed(runCtl("list --json", settings)) == 1; }, 5s));
    EXPECT_EQ(clocksListed(runCtl("list --json", "XDG_CONFIG_HOME=" + folder + "/none")), 0u);
    EXPECT_EQ(runCtl("show -s UHID-C4", settings).status, 0);

    const Ran rule = runCtl("udev-rule --usb-id 1234:abcd");
    EXPECT_EQ(rule.status, 0);
    EXPECT_NE(rule.out.find(R"(ATTRS{idVendor}=="1234", ATTRS{idProduct}=="abcd")"),
              std::string::npos)
        << rule.out;
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace tarnwell
