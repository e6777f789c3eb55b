// tarnwell-ctl's commands for clocks nobody watches, in-process on simulated clocks: apply and diff
// of a saved configuration, set with a second output frequency, the metrics, other USB ids.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "CtlCommand.h"
#include "ToolJson.h"
#include "device/TimedDevice.h"
#include "hostio/RegularFile.h"
#include "sim/VirtualClockBackend.h"

namespace tarnwell::ctl {
namespace {

using ::testing::HasSubstr;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

class CtlFieldCommands : public ::testing::Test {
protected:
    CtlFieldCommands() {
        time.now = [this] { return std::chrono::steady_clock::time_point(elapsed); };
        time.wallClock = [this] { return std::chrono::system_clock::time_point(elapsed); };
        time.sleep = [this](std::chrono::milliseconds pause) {
            elapsed += pause;
            if (++sleeps == interruptAfterSleeps)
                interrupted = true;
        };
        time.interrupted = [this] { return interrupted; };
        // One folder per test and run: ctest runs the tests of this file side by side.
        folder = std::filesystem::temp_directory_path() /
                 ("tarnwell-ctl-field-" +
                  std::string(testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
                  std::to_string(std::random_device{}()));
        std::filesystem::create_directories(folder);
    }
    ~CtlFieldCommands() override { std::filesystem::remove_all(folder); }

    Outcome run(std::vector<std::string_view> args) {
        std::ostringstream out;
        std::ostringstream err;
        const int status = runCtl(args, backend, time, out, err);
        return {status, out.str(), err.str()};
    }
    std::string save(const std::string& name, const std::string& text) {
        const std::string path = (folder / name).string();
        std::ofstream(path) << text;
        return path;
    }

    VirtualClockBackend backend;
    CtlTime time;
    std::chrono::milliseconds elapsed{0};
    int sleeps = 0;
    int interruptAfterSleeps = -1;
    bool interrupted = false;
    std::filesystem::path folder;
};

TEST_F(CtlFieldCommands, ShowThenApplyRestoresTheClockAndDiffSeesAChangedField) {
    VirtualClock& clock = backend.addClock(VirtualClockDescription{.serial = u"T5240342"});
    ASSERT_EQ(run({"set", "10000000", "--out2", "20000000"}).status, 0);
    ASSERT_EQ(run({"drive", "24mA"}).status, 0);
    ASSERT_EQ(run({"outputs", "--out2", "off"}).status, 0);
    const ClockState saved = clock.state();
    const std::string file = save("clock.json", run({"show", "--json"}).out);
    EXPECT_EQ(run({"diff", file}).status, 0);

    ASSERT_EQ(run({"set", "25000000"}).status, 0);
    ASSERT_EQ(run({"outputs", "--out2", "on"}).status, 0);
    const Outcome differs = run({"diff", file});
    EXPECT_EQ(differs.status, 9);
    EXPECT_THAT(differs.out, HasSubstr("T5240342: out2_enabled: file false, clock true\n"));
    EXPECT_THAT(differs.out, HasSubstr("T5240342: NC1_LS: file 48, clock 18\n"));

    clock.model().clearReceivedReports();
    const Outcome dryRun = run({"apply", file, "--dry-run"});
    EXPECT_EQ(dryRun.status, 0);
    EXPECT_THAT(dryRun.out, HasSubstr("would apply to T5240342: GPS="));
    EXPECT_TRUE(clock.receivedReports().empty());
    const Outcome applied = run({"apply", file});
    ASSERT_EQ(applied.status, 0) << applied.err;
    EXPECT_EQ(clock.state().pllSettings, saved.pllSettings);
    EXPECT_EQ(clock.state().driveStrength, saved.driveStrength);
    EXPECT_EQ(clock.state().outputEnables, saved.outputEnables);
    EXPECT_EQ(Json::parse(run({"diff", file, "--json"}).out).at("equal"), true);

    // A clock that stores the phase step wrongly is caught by apply's readback and by diff.
    clock.model().storePllByteWrongly(17);
    const Outcome wrong = run({"apply", file});
    EXPECT_EQ(wrong.status, 7);
    EXPECT_THAT(wrong.err, HasSubstr("phase_index: file 0, clock 1"));
    EXPECT_EQ(run({"diff", file}).status, 9);

    // --timeout ends the wait for lock too.
    clock.model().storePllByteWrongly(std::nullopt);
    clock.state().status.noGpsSignal = true;
    const auto start = elapsed;
    const Outcome unlocked = run({"apply", file, "--wait-lock", "60", "--timeout", "2"});
    EXPECT_EQ(unlocked.status, 8);
    EXPECT_LT(elapsed - start, std::chrono::milliseconds(2100));  // a poll past the limit at most
}

TEST_F(CtlFieldCommands, ApplyRefusesABadFileNamingTheFieldAndSendsNothing) {
    VirtualClock& clock = backend.addClock(VirtualClockDescription{.serial = u"T5240342"});
    Json document = Json::parse(run({"show", "--json"}).out);
    clock.model().clearReceivedReports();
    const auto refusal = [&](const std::string& name, const Json& changed) {
        const Outcome outcome = run({"apply", save(name, changed.dump())});
        EXPECT_EQ(outcome.status, 2) << name;
        EXPECT_TRUE(clock.receivedReports().empty()) << name;
        return outcome.err;
    };
    EXPECT_THAT(refusal("list", Json::array()), HasSubstr("is an array, not a JSON object"));
    Json later = document;
    later["holdover_s"] = 30;
    EXPECT_THAT(refusal("later", later),
                HasSubstr("does not know (written by a later one?): \"holdover_s\""));
    Json odd = document;
    odd["N2_LS"] = 481;
    EXPECT_THAT(refusal("odd", odd),
                HasSubstr("N2_LS 481 is outside its limits (2 to 1048576, even)"));
    Json phase = document;
    phase["phase_index"] = 100;  // NC1_LS 100 offers steps 0..99
    EXPECT_THAT(refusal("phase", phase), HasSubstr("phase_index 100 is outside"));
    Json drive = document;
    drive["drive_strength"] = "40mA";
    EXPECT_THAT(refusal("drive", drive), HasSubstr("drive_strength must be one of 8mA"));
    Json missing = document;
    missing.erase("BW");
    EXPECT_THAT(refusal("missing", missing), HasSubstr("has no field BW"));
    Json other = document;
    other["serial"] = "TW240117";
    EXPECT_THAT(refusal("other", other), HasSubstr("serial is TW240117, the clock's is T5240342"));
    EXPECT_EQ(run({"apply", save("other", other.dump()), "--any-serial"}).status, 0);
}

// What apply and diff read: only a regular file, within its size and depth, as JSON without a
// field twice; a refusal names the file, where and why, quoting only an escaped start.
TEST_F(CtlFieldCommands, ASavedFileIsReadWithinLimitsAndRefusedWithWhereAndWhy) {
    backend.addClock(VirtualClockDescription{.serial = u"T5240342"});
    Json longValue = Json::parse(run({"show", "--json"}).out);
    longValue["GPS"] = std::string(100000, 'A');
    const std::string deep = "{\"GPS\": " + std::string(60000, '[') + std::string(60000, ']') + "}";
    const std::string deepInLimit =
        "{\"GPS\": " + std::string(15, '[') + std::string(15, ']') + "}";
    const std::string huge = std::string(kMebibyte + 1, ' ');
    std::string wide = "[0";
    for (int i = 0; i < 1000; ++i)
        wide += ",0";
    struct Row {
        std::string path;
        std::string message;
    };
    const std::vector<Row> rows = {
        {save("syntax", "{\n  \"GPS\": 1,\n  \"N31\": x\n}"),
         "syntax: line 3, column 10: not JSON: syntax error while parsing value"},
        {save("utf8", "{\"serial\": \"\xff\"}"), "utf8: line 1, column 13: not JSON"},
        {save("twice", "{\"GPS\": 1, \"GPS\": 2}"), "twice has the field \"GPS\" twice"},
        {save("overflow", "{\"GPS\": 1e400}"), "overflow: number overflow parsing '1e400'"},
        {save("deep", deep), "deep is nested deeper than 16 levels"},
        {save("in-limit", deepInLimit), "in-limit has no field"},
        {save("wide", wide + "]"), "wide holds more than 1000 values"},
        {save("huge", huge), "cannot read " + (folder / "huge").string() + ": larger than 1 MiB"},
        {save("escape", "{\"\\u001b[2J\": 1}"), "know (written by a later one?): \"\\x1b[2J\""},
        {save("long", longValue.dump()), "GPS must be a whole number, not \"AAAA"},
        {folder.string(), ": a directory, not a regular file"},
        {(folder / "missing").string(), "missing: no such file"},
#ifndef _WIN32
        {"/dev/zero", "cannot read /dev/zero: a character device, not a regular file"},
        {[&] {
             const std::string fifo = (folder / "fifo").string();
             ::mkfifo(fifo.c_str(), 0600);
             return fifo;
         }(),
         "fifo: a FIFO, not a regular file"},
#endif
    };
    for (const Row& row : rows) {
        for (const char* command : {"apply", "diff"}) {
            const Outcome outcome = run({command, row.path});
            EXPECT_EQ(outcome.status, 2) << row.path;
            EXPECT_THAT(outcome.err, HasSubstr(row.message)) << command;
            EXPECT_LT(outcome.err.size(), 300u) << "quotes only a start: " << row.path;
        }
    }
}

TEST_F(CtlFieldCommands, SetFindsBothOutputsOrSaysWhatComesNearest) {
    VirtualClock& clock = backend.addClock(VirtualClockDescription{.serial = u"T5240342"});
    const Outcome both = run({"set", "10000000", "--out2", "25000000", "--json"});
    ASSERT_EQ(both.status, 0) << both.err;
    const Json json = Json::parse(both.out);
    EXPECT_EQ(json.at("NC1_LS"), 60);
    EXPECT_EQ(json.at("NC2_LS"), 24);
    EXPECT_EQ(json.at("out2_hz"), 25000000);
    EXPECT_EQ(clock.state().pllSettings[14], 23);  // NC2_LS - 1, as the clock stores it

    const Outcome neither = run({"set", "24576000", "--out2", "27000000", "--dry-run"});
    EXPECT_EQ(neither.status, 5);
    EXPECT_THAT(neither.err, HasSubstr("both exactly; nearest below 24576000 Hz (NC2_LS 18, "
                                       "-2424000 Hz, -89777.7777777778 ppm); nearest above "
                                       "27648000 Hz (NC2_LS 16"));
}

TEST_F(CtlFieldCommands, MetricsFileIsReplacedWholeWithAStampAndClocksThatCannotOpenSayWhy) {
    VirtualClock& clock = backend.addClock(VirtualClockDescription{.serial = u"T5240342"});
    backend.addClock(VirtualClockDescription{.serial = u"LOCKED"})
        .refuseOpens(OpenFailure::PermissionDenied);
    const Outcome once = run({"status", "--prometheus"});
    ASSERT_EQ(once.status, 0) << once.err;
    EXPECT_THAT(once.out, HasSubstr("tarnwell_pll_locked{serial=\"T5240342\"} 1\n"));
    EXPECT_THAT(once.out, HasSubstr("tarnwell_clock_info{serial=\"T5240342\",firmware=\"1.12\","
                                    "out1_hz=\"10246800\",reference_hz=\"10000000\"} 1\n"));
    EXPECT_THAT(once.out, HasSubstr("tarnwell_clock_failure_info{serial=\"LOCKED\",reason=\""
                                    "permission denied\"} 1\n"));

    const std::string path = (folder / "tarnwell.prom").string();
    int writes = 0;
    std::string last;
    time.sleep = [&](std::chrono::milliseconds pause) {
        elapsed += pause;
        std::stringstream text;
        text << std::ifstream(path).rdbuf();
        if (text.str() != last)
            ++writes;
        last = text.str();
        clock.state().status.noPllLock = elapsed > std::chrono::seconds(10);
        interrupted = elapsed > std::chrono::seconds(45);
    };
    EXPECT_EQ(run({"status", "--watch", "--textfile", path}).status, 0);
    // The first write, the loss of lock at 10 s, and the refresh 30 s after that.
    EXPECT_EQ(writes, 3);
    EXPECT_THAT(last, HasSubstr("tarnwell_pll_locked{serial=\"T5240342\"} 0\n"));
    EXPECT_THAT(last, HasSubstr("tarnwell_textfile_written_timestamp_seconds 4"));
    EXPECT_EQ(run({"status", "--watch", "--prometheus"}).status, 2);
    // A clock asked for by serial and not attached is down in the metrics, as status says.
    const Outcome absent = run({"status", "--prometheus", "-s", "NOPE"});
    EXPECT_EQ(absent.status, 3);
    EXPECT_THAT(
        absent.out,
        HasSubstr("tarnwell_clock_failure_info{serial=\"NOPE\",reason=\"not attached\"} 1\n"));
    EXPECT_THAT(absent.err, HasSubstr("no clock with serial NOPE attached"));
    EXPECT_EQ(run({"status", "--textfile", path, "-s", "NOPE"}).status, 3);
    EXPECT_EQ(run({"status", "--prometheus", "-s", "T5240342"}).status, 0);
    EXPECT_EQ(run({"status", "--textfile", (folder / "no" / "x.prom").string()}).status, 6);
}

TEST_F(CtlFieldCommands, MetricsMarkAClockThatStopsAnsweringFailedInTimeAndRecover) {
    using namespace std::chrono_literals;
    VirtualClock& clock = backend.addClock(VirtualClockDescription{.serial = u"T5240342"});
    const std::string up = "tarnwell_clock_up{serial=\"T5240342\"} 1\n";
    clock.stall();
    const Outcome once = run({"status", "--prometheus", "--timeout", "2"});
    EXPECT_EQ(once.status, 0) << "the failure is in the metrics";
    EXPECT_LE(elapsed, 2s);
    EXPECT_THAT(once.out, HasSubstr("reason=\"the clock did not answer the configuration "
                                    "request within 1 s\"} 1\n"));
    clock.releaseStall();

    const std::string path = (folder / "tarnwell.prom").string();
    std::vector<std::string> told;
    time.tellService = [&told](const char* state) { told.emplace_back(state); };
    std::optional<std::chrono::milliseconds> stalledAt, failedAt, releasedAt, recoveredAt,
        interruptedAt;
    bool upWhileStalled = false;
    time.sleep = [&](std::chrono::milliseconds pause) {
        elapsed += pause;
        std::stringstream text;
        text << std::ifstream(path).rdbuf();
        const bool showsUp = text.str().find(up) != std::string::npos;
        if (failedAt && !releasedAt)
            upWhileStalled = upWhileStalled || showsUp;
        if (stalledAt && !failedAt && !showsUp)
            failedAt = elapsed;
        if (releasedAt && !recoveredAt && showsUp)
            recoveredAt = elapsed;
        // The stuck request returns on its own thread, in real time.
        if (releasedAt && !recoveredAt)
            std::this_thread::sleep_for(1ms);
        if (!stalledAt && elapsed >= 5s) {
            clock.stall();
            stalledAt = elapsed;
        } else if (failedAt && !releasedAt && elapsed >= 10s) {
            clock.releaseStall();
            releasedAt = elapsed;
        } else if (recoveredAt && !clock.stalled()) {
            clock.stall();  // and interrupted while stalled
        } else if (recoveredAt && clock.heldRequests() > 0 && !interrupted) {
            interrupted = true;
            interruptedAt = elapsed;
        }
    };
    EXPECT_EQ(run({"status", "--watch", "--textfile", path}).status, 0);
    clock.releaseStall();
    ASSERT_TRUE(failedAt && recoveredAt);
    EXPECT_LE(*failedAt - *stalledAt, 1500ms);
    EXPECT_FALSE(upWhileStalled);
    EXPECT_LE(*recoveredAt - *releasedAt, 5s);
    ASSERT_TRUE(interruptedAt);
    EXPECT_LE(elapsed - *interruptedAt, 100ms);
    EXPECT_THAT(told, ::testing::Contains("WATCHDOG=1").Times(::testing::Gt(20)));
    EXPECT_EQ(told.front(), "READY=1");
}

// Clocks are waited for side by side: two silent ones fail within one request's limit.
TEST_F(CtlFieldCommands, MetricsWaitForSeveralSilentClocksAtOnce) {
    VirtualClock& a = backend.addClock({.serial = u"A"});
    VirtualClock& b = backend.addClock({.serial = u"B"});
    a.stall();
    b.stall();
    time = CtlTime::real([] { return false; });
    const auto start = std::chrono::steady_clock::now();
    const Outcome once = run({"status", "--prometheus"});
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2 * kClockAnswerTimeout);
    a.releaseStall();
    b.releaseStall();
    EXPECT_THAT(once.out, HasSubstr("up{serial=\"A\"} 0\ntarnwell_clock_up{serial=\"B\"} 0\n"));
}

TEST_F(CtlFieldCommands, OtherUsbIdsFromTheEnvironmentOrTheOptionAndTheirUdevRule) {
    backend.setListsEveryDevice(true);
    backend.addClock(
        VirtualClockDescription{.vendorId = 0x1234, .productId = 0xabcd, .serial = u"OTHER"});
    EXPECT_EQ(run({"show"}).status, 3);
    EXPECT_EQ(run({"show", "--usb-id", "1234:abcd"}).status, 0);
    EXPECT_THAT(
        run({"udev-rule", "--usb-id", "1234:abcd"}).out,
        HasSubstr("ATTRS{idVendor}==\"1234\", ATTRS{idProduct}==\"abcd\", TAG+=\"uaccess\""));
    EXPECT_EQ(run({"show", "--usb-id", "1234"}).status, 2);
#ifndef _WIN32
    ::setenv("TARNWELL_USB_IDS", "1234:abcd", 1);
    EXPECT_EQ(run({"show"}).status, 0);
    // A rule for the build's ids would give the wrong clocks away.
    ::setenv("TARNWELL_USB_IDS", "x:y", 1);
    const Outcome malformed = run({"udev-rule"});
    EXPECT_EQ(malformed.status, 2);
    EXPECT_EQ(malformed.out, "");
    EXPECT_THAT(run({"list"}).err, HasSubstr("\"x:y\" is not a USB id VID:PID (such as 1209:5457); "
                                             "using the build's default"));
    ::unsetenv("TARNWELL_USB_IDS");
#endif
}

}  // namespace
}  // namespace tarnwell::ctl
