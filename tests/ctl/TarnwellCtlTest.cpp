// tarnwell-ctl run in-process on simulated clocks: what each command sends and prints, and which
// exit status each failure gives.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "CtlCommand.h"
#include "ToolJson.h"
#include "commands/CommandPayloads.h"
#include "commands/SetFrequencyCommand.h"
#include "planning/PllSettings.h"
#include "sim/VirtualClockBackend.h"

namespace tarnwell::ctl {
namespace {

using namespace std::chrono_literals;
using ::testing::HasSubstr;

// Standard output as the program leaves it, with the length it had at each flush.
class FlushRecorder : public std::stringbuf {
public:
    std::vector<std::size_t> flushedAt;

protected:
    int sync() override {
        flushedAt.push_back(str().size());
        return std::stringbuf::sync();
    }
};

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
    std::vector<std::size_t> flushes;
    // The lines of `out`, each of which must have been flushed as soon as it was complete.
    std::vector<std::string> flushedLines() const {
        std::vector<std::string> lines;
        std::size_t start = 0;
        for (std::size_t end; (end = out.find('\n', start)) != std::string::npos; start = end + 1) {
            lines.push_back(out.substr(start, end - start));
            EXPECT_THAT(flushes, ::testing::Contains(end + 1)) << "not flushed: " << lines.back();
        }
        EXPECT_EQ(start, out.size()) << "a line left unfinished";
        return lines;
    }
    // The output as one JSON value; nothing unless it is exactly one.
    std::optional<Json> json() const {
        Json parsed = Json::parse(out, nullptr, false);
        return parsed.is_discarded() ? std::nullopt : std::optional(std::move(parsed));
    }
};

VirtualClockDescription clockWithSerial(std::u16string serial) {
    VirtualClockDescription description;
    description.serial = std::move(serial);
    return description;
}

// The documented 10 MHz setting, as Find would program it for a serial with BW 6.
std::vector<std::uint8_t> tenMegahertzReport(std::uint8_t bw, std::size_t length,
                                             std::uint32_t nc2 = 48, std::uint8_t phase = 0) {
    PllBoxValues values{4687500, 5, 11, 512, 11, 48, double(nc2), phase, double(bw)};
    return *setFrequencyReport(encodePllSettings(values).bytes, length);
}

class TarnwellCtl : public ::testing::Test {
protected:
    // Time moves only when the program sleeps; each sleep may do something to the clocks.
    TarnwellCtl() {
        time.now = [this] { return std::chrono::steady_clock::time_point(elapsed); };
        time.wallClock = [this] {
            return std::chrono::system_clock::time_point(
                       std::chrono::sys_days(std::chrono::year{2024} / 5 / 1)) +
                   elapsed;
        };
        time.sleep = [this](std::chrono::milliseconds pause) {
            elapsed += pause;
            sleeps.push_back(pause);
            if (onSleep)
                onSleep(sleeps.size());
        };
        time.interrupted = [this] {
            return interruptAfterSleeps && sleeps.size() >= *interruptAfterSleeps;
        };
    }

    Outcome run(std::vector<std::string_view> args) {
        FlushRecorder recorder;
        std::ostream out(&recorder);
        std::ostringstream err;
        Outcome outcome;
        outcome.status = runCtl(args, backend, time, out, err);
        outcome.out = recorder.str();
        outcome.err = err.str();
        outcome.flushes = recorder.flushedAt;
        return outcome;
    }

    std::size_t reportsReceived() const {
        std::size_t count = 0;
        for (const auto& clock : backend.clocks())
            count += clock->receivedReports().size();
        return count;
    }

    VirtualClockBackend backend;
    CtlTime time;
    std::chrono::milliseconds elapsed{0};
    std::vector<std::chrono::milliseconds> sleeps;
    std::function<void(std::size_t)> onSleep;
    std::optional<std::size_t> interruptAfterSleeps;
};

TEST_F(TarnwellCtl, ListShowsEveryClockWithItsIdentityAndWhetherItOpens) {
    VirtualClockDescription first = clockWithSerial(u"T5240342");
    first.manufacturer = u"Tarnwell \"Labs\"\x01\n";  // written escaped, on the one line
    backend.addClock(first);
    backend.setListsEveryDevice(true);  // ctl checks the ids itself
    backend.addClock(VirtualClockDescription{.productId = 0x0001});
    backend.addClock(clockWithSerial(u"TW240117")).refuseOpens(OpenFailure::PermissionDenied);

    const Outcome listed = run({"list", "--json"});
    ASSERT_EQ(listed.status, kExitDone) << listed.err;
    const auto json = listed.json();
    ASSERT_TRUE(json) << listed.out;
    const Json& clocks = (*json).at("clocks");
    ASSERT_EQ(clocks.size(), 2u);
    EXPECT_EQ(clocks[0].at("serial"), "T5240342");
    EXPECT_EQ(clocks[0].at("manufacturer"), "Tarnwell \"Labs\"\x01\n");
    EXPECT_EQ(listed.flushedLines().size(), 1u);
    EXPECT_EQ(clocks[0].at("product"), "Virtual GPS Clock");
    EXPECT_EQ(clocks[0].at("firmware"), "1.12");
    EXPECT_EQ(clocks[0].at("path"), backend.clocks()[0]->path());
    EXPECT_EQ(clocks[0].at("can_open"), true);
    EXPECT_TRUE(clocks[0].at("open_failure").is_null());
    EXPECT_EQ(clocks[1].at("serial"), "TW240117");
    EXPECT_EQ(clocks[1].at("can_open"), false);
    EXPECT_EQ(clocks[1].at("open_failure"), "permission denied");
#ifdef _WIN32
    EXPECT_THAT(clocks[1].at("fix").get<std::string>(), HasSubstr("give this user access"));
#else
    EXPECT_THAT(clocks[1].at("fix").get<std::string>(), HasSubstr("udev"));
#endif

    const Outcome text = run({"list"});
    EXPECT_THAT(text.out, HasSubstr("access        no: permission denied"));
    EXPECT_EQ(reportsReceived(), 0u);
}

TEST_F(TarnwellCtl, ShowReadsTheConfigurationAsTheWindowShowsIt) {
    VirtualClock& clock = backend.addClock(clockWithSerial(u"T5240342"));
    clock.state().outputEnables = 0x02;
    clock.state().driveStrength = 7;
    clock.state().pllSettings[14] = 4;    // NC2_LS 5: the window shows the even divider 6
    clock.state().pllSettings[17] = 200;  // phase step beyond the list: the window shows step 0

    const Outcome shown = run({"show", "--json"});
    ASSERT_EQ(shown.status, kExitDone) << shown.err;
    const auto json = shown.json();
    ASSERT_TRUE(json) << shown.out;
    const Json& s = *json;
    EXPECT_EQ(s.at("serial"), "T5240342");
    EXPECT_EQ(s.at("manufacturer"), "Tarnwell Labs");
    EXPECT_EQ(s.at("firmware"), "1.12");
    EXPECT_EQ(s.at("out1_enabled"), false);
    EXPECT_EQ(s.at("out2_enabled"), true);
    EXPECT_EQ(s.at("drive_strength"), "32mA");
    EXPECT_EQ(s.at("GPS"), 10000000);
    EXPECT_EQ(s.at("N31"), 1000);
    EXPECT_EQ(s.at("N2_HS"), 10);
    EXPECT_EQ(s.at("N2_LS"), 51234);
    EXPECT_EQ(s.at("N1_HS"), 5);
    EXPECT_EQ(s.at("NC1_LS"), 100);
    EXPECT_EQ(s.at("NC2_LS"), 6);
    EXPECT_EQ(s.at("phase_degrees"), 0);
    EXPECT_EQ(s.at("phase_index"), 200);
    EXPECT_EQ(s.at("BW"), 3);
    EXPECT_EQ(s.at("out1_hz"), 10246800);
    EXPECT_EQ(s.at("f3_hz"), 10000);
    EXPECT_EQ(s.at("fosc_hz"), 5123400000);
    EXPECT_EQ(s.at("out2_hz"), 170780000);
    // The clock's pause before each of its three requests.
    EXPECT_EQ(sleeps, std::vector<std::chrono::milliseconds>(3, 5ms));

    const Outcome text = run({"show"});
    EXPECT_THAT(text.out, HasSubstr("Fosc              5.1234 GHz"));
    EXPECT_THAT(text.out, HasSubstr("Output 1          10246800 Hz"));
    EXPECT_EQ(reportsReceived(), 0u);
}

TEST_F(TarnwellCtl, StatusReadsTheNextReportAndWatchPrintsEachChange) {
    VirtualClock& clock = backend.addClock();
    clock.state().status = {7, false, true};
    const auto json = run({"status", "--json"}).json();
    ASSERT_TRUE(json);
    EXPECT_EQ((*json).at("signal_losses"), 7);
    EXPECT_EQ((*json).at("gps_signal"), true);
    EXPECT_EQ((*json).at("pll_locked"), false);
    EXPECT_THAT(run({"status"}).out,
                HasSubstr("signal loss count 7; GPS signal ok; PLL lock none"));

    // Lock comes after the third poll, a loss after the sixth; the tenth ends the watch.
    onSleep = [&clock](std::size_t n) {
        if (n == 3)
            clock.state().status.noPllLock = false;
        if (n == 6)
            clock.state().status = {8, true, false};
    };
    sleeps.clear();
    interruptAfterSleeps = 10;
    const Outcome watched = run({"status", "--watch", "--json"});
    EXPECT_EQ(watched.status, kExitDone) << watched.err;
    // JSON Lines: an object per change, each on its own line, each flushed as it was written.
    std::vector<Json> changes;
    for (const std::string& line : watched.flushedLines())
        changes.push_back(Json::parse(line));
    ASSERT_EQ(changes.size(), 3u) << watched.out;
    EXPECT_EQ(changes[0].at("pll_locked"), false);
    EXPECT_EQ(changes[1].at("pll_locked"), true);
    EXPECT_EQ(changes[2].at("signal_losses"), 8);
    EXPECT_EQ(changes[2].at("gps_signal"), false);
    EXPECT_EQ(changes[1].at("time"), "2024-05-01T00:00:00.150Z");

    sleeps.clear();
    elapsed = 0ms;
    onSleep = {};
    const Outcome lines = run({"status", "--watch"});
    EXPECT_THAT(lines.flushedLines(),
                ::testing::ElementsAre(HasSubstr("2024-05-01T00:00:00.000Z  signal loss count 8")));
}

TEST_F(TarnwellCtl, SetProgramsTheFoundSettingTwiceAsUpdateDoesAndReadsItBack) {
    VirtualClock& clock = backend.addClock(clockWithSerial(u"T5240342"));
    const std::size_t length = clock.description().featureReportLength;

    const Outcome dry = run({"set", "10000000", "--dry-run", "--json"});
    EXPECT_EQ(dry.status, kExitDone) << dry.err;
    EXPECT_TRUE(dry.json().has_value()) << dry.out;
    EXPECT_EQ(reportsReceived(), 0u) << "a dry run sends nothing";

    const Outcome set = run({"set", "10000000", "-s", "T5240342", "--json"});
    ASSERT_EQ(set.status, kExitDone) << set.err;
    const std::vector<std::uint8_t> expected = tenMegahertzReport(6, length);
    ASSERT_EQ(clock.receivedReports().size(), 2u);
    EXPECT_EQ(clock.receivedReports()[0].bytes, expected);
    EXPECT_EQ(clock.receivedReports()[1].bytes, expected);
    const auto json = set.json();
    ASSERT_TRUE(json) << set.out;
    EXPECT_EQ((*json).at("read_back"), true);
    EXPECT_EQ((*json).at("N2_LS"), 512);
    EXPECT_EQ((*json).at("BW"), 6);
    EXPECT_EQ((*json).at("out2_hz"), 10000000);
    EXPECT_EQ((*json).at("f3_hz"), 937500);
    EXPECT_EQ((*json).at("fosc_hz"), 5280000000);
    const auto shown = run({"show", "--json"}).json();
    ASSERT_TRUE(shown);
    EXPECT_EQ((*shown).at("out1_hz"), 10000000);
    EXPECT_EQ((*shown).at("N2_LS"), 512);

    // Output 2 and the phase pick among the window's choices.
    clock.model().clearReceivedReports();
    ASSERT_EQ(run({"set", "10000000", "--out2", "20000000"}).status, kExitDone);
    EXPECT_EQ(clock.receivedReports().back().bytes, tenMegahertzReport(6, length, 24));
    const Outcome locked =
        run({"set", "10000000", "--phase", "7.50", "--wait-lock", "1", "--json"});
    ASSERT_EQ(locked.status, kExitDone);
    EXPECT_EQ((*locked.json()).at("pll_locked"), true);
    EXPECT_EQ(clock.receivedReports().back().bytes, tenMegahertzReport(6, length, 48, 1));

    // Without an exact setting, something else is programmed only when asked for.
    clock.model().clearReceivedReports();
    EXPECT_EQ(run({"set", "9999991"}).status, kExitNoExactSetting);
    const auto nearest = run({"set", "9999991", "--nearest", "--dry-run", "--json"}).json();
    ASSERT_TRUE(nearest);
    EXPECT_EQ((*nearest).at("out1_hz"), 9999990) << "the lower of two equally near";
    EXPECT_EQ((*nearest).at("exact"), false);
    const Outcome closest = run({"set", "9999991", "--closest", "--json"});
    ASSERT_EQ(closest.status, kExitDone) << closest.err;
    EXPECT_EQ((*closest.json()).at("GPS"), 4748293);
    EXPECT_EQ((*closest.json()).at("N2_LS"), 13298);
    EXPECT_EQ(clock.receivedReports().size(), 2u);
}

TEST_F(TarnwellCtl, ProgramSendsExactlyTheValuesOrClampsThemWhenAsked) {
    VirtualClock& clock = backend.addClock(clockWithSerial(u"TW240117"));
    const std::size_t length = clock.description().featureReportLength;
    const Outcome exact = run({"program", "4687500", "5", "11", "512", "11", "48", "48"});
    ASSERT_EQ(exact.status, kExitDone) << exact.err;
    ASSERT_EQ(clock.receivedReports().size(), 2u);
    EXPECT_EQ(clock.receivedReports()[1].bytes, tenMegahertzReport(15, length));

    const Outcome refused = run({"program", "4687500", "5", "11", "513", "11", "48", "48"});
    EXPECT_EQ(refused.status, kExitUsage);
    EXPECT_THAT(refused.err, HasSubstr("N2_LS 513 is outside its limits"));
    EXPECT_EQ(clock.receivedReports().size(), 2u);

    const Outcome clamped = run({"program", "12000000", "5", "11", "513", "11", "48", "48",
                                 "--clamp", "--bw", "6", "--phase", "1", "--json"});
    ASSERT_EQ(clamped.status, kExitDone) << clamped.err;
    EXPECT_THAT(clamped.err, HasSubstr("clamped GPS 12000000 -> 10000000"));
    EXPECT_THAT(clamped.err, HasSubstr("clamped N2_LS 513 -> 512"));
    const auto json = clamped.json();
    ASSERT_TRUE(json) << clamped.out;
    ASSERT_EQ((*json).at("clamped").size(), 2u);
    EXPECT_EQ((*json).at("clamped")[1].at("register"), "N2_LS");
    const PllSettings stored = decodePllSettings(clock.state().pllSettings);
    EXPECT_EQ(stored.gps, 10000000u);
    EXPECT_EQ(stored.n2ls, 512u);
    EXPECT_EQ(stored.bw, 6);
    EXPECT_EQ(stored.phaseIndex, 1);
}

TEST_F(TarnwellCtl, OutputAndDeviceCommandsSendTheWindowsPayloads) {
    VirtualClock& clock = backend.addClock();
    const std::size_t length = clock.description().featureReportLength;
    const auto last = [&clock] { return clock.receivedReports().back().bytes; };

    clock.state().outputEnables = 0x01;
    const Outcome outputs = run({"outputs", "--out2", "on", "--json"});
    ASSERT_EQ(outputs.status, kExitDone) << outputs.err;
    EXPECT_EQ(last(), *outputEnableReport(true, true, length)) << "output 1 stays as it was";
    EXPECT_EQ((*outputs.json()).at("out1_enabled"), true);
    ASSERT_EQ(run({"outputs", "--out1", "off"}).status, kExitDone);
    EXPECT_EQ(clock.state().outputEnables, 0x02);

    for (const auto& [which, selection] :
         {std::pair{"1", IdentifySelection::Output1}, std::pair{"2", IdentifySelection::Output2},
          std::pair{"off", IdentifySelection::Off}}) {
        ASSERT_EQ(run({"identify", which}).status, kExitDone) << which;
        EXPECT_EQ(last(), *identifyReport(selection, length)) << which;
    }
    ASSERT_EQ(run({"drive", "24mA"}).status, kExitDone);
    EXPECT_EQ(clock.state().driveStrength, 2);
    const Outcome drive = run({"drive", "16", "--json"});
    ASSERT_EQ(drive.status, kExitDone);
    EXPECT_EQ(last(), *driveStrengthReport(1, length));
    EXPECT_EQ((*drive.json()).at("drive_strength"), "16mA");
    const Outcome sleep = run({"sleep", "--json"});
    ASSERT_EQ(sleep.status, kExitDone);
    EXPECT_EQ((*sleep.json()).at("sleep"), true);
    EXPECT_EQ(last(), *sleepReport(length));
    // The window's rule: a number, rounded half to even.
    const Outcome written = run({"write-register", "25.0", "160.5", "--json"});
    ASSERT_EQ(written.status, kExitDone);
    EXPECT_EQ(last(), *writeRegisterReport(25, 160, length));
    EXPECT_EQ((*written.json()).at("register"), 25);
    EXPECT_EQ((*written.json()).at("value"), 160);
    EXPECT_EQ(clock.receivedReports().size(), 9u);
}

TEST_F(TarnwellCtl, BadArgumentsExitTwoAndSendNothing) {
    backend.addClock(clockWithSerial(u"A1"));
    const std::vector<std::vector<std::string_view>> lines = {
        {},
        {"frobnicate"},
        {"show", "--frobnicate"},
        {"show", "--watch"},
        {"list", "-s", "A1"},
        {"set"},
        {"set", "10,5"},
        {"set", "0.5"},
        {"set", "9999991", "--closest", "--out2", "12345"},  // not exact: only the list
        {"set", "10000000", "--phase", "8"},
        {"set", "10000000", "--out2", "20000000", "--phase", "0"},
        {"set", "10000000", "--wait-lock", "soon"},
        {"set", "9999991", "--nearest", "--closest"},
        {"program", "4687500", "0", "11", "512", "11", "48", "48"},
        {"program", "4687500", "5", "11", "512", "11", "48", "48.5"},
        {"program", "4687500", "5", "11", "512", "11", "48", "48", "--bw", "256"},
        {"program", "4687500", "5", "11", "512", "11", "48", "48", "--phase", "48"},
        {"outputs"},
        {"outputs", "--out1", "maybe"},
        {"identify", "3"},
        {"drive", "12mA"},
        {"write-register", "256", "1"},
        {"write-register", "1", "-1"},
        {"status", "--timeout"},
        {"status", "--timeout", "x"},
    };
    for (const auto& line : lines) {
        std::string shown;
        for (const auto word : line)
            shown += std::string(word) + " ";
        const Outcome outcome = run(line);
        EXPECT_EQ(outcome.status, 2) << shown << outcome.err;
        EXPECT_FALSE(outcome.err.empty()) << shown;
    }
    EXPECT_EQ(backend.openCount(), 0u) << "refused before any clock was touched";

    const Outcome nearest = run({"set", "10000000", "--phase", "8", "--json"});
    EXPECT_THAT(nearest.err, HasSubstr("nearest choices: 7.5, 15, 0, 22.5"));
    ASSERT_TRUE(nearest.json());
    EXPECT_EQ((*nearest.json()).at("exit_status"), kExitUsage);

    backend.addClock(clockWithSerial(u"B2"));
    const Outcome several = run({"sleep"});
    EXPECT_EQ(several.status, kExitUsage);
    EXPECT_THAT(several.err, HasSubstr("A1, B2"));
    EXPECT_EQ(reportsReceived(), 0u);
}

// A value of the wrong form points to --help; one of the right form that the command cannot take
// says all there is. Either way the refusal names the option and quotes the value.
TEST_F(TarnwellCtl, OptionRefusalsNameTheOptionAndQuoteTheValue) {
    const std::string help = "; see tarnwell-ctl --help";
    const std::vector<std::pair<std::vector<std::string_view>, std::string>> rows = {
        {{"status", "--timeout", "x"}, "--timeout needs seconds, not \"x\"" + help},
        {{"set", "1e7", "--wait-lock", "soon"}, "--wait-lock needs seconds, not \"soon\"" + help},
        {{"udev-rule", "--group", "-g"},
         "--group needs a name of letters, digits, '.', '_' and "
         "'-' (not starting with '-'), not \"-g\"" +
             help},
        {{"set", "1e7", "--out2", "0"}, "--out2 needs a frequency in Hz, not \"0\""},
        {{"set", "1e7", "--phase", "half"}, "--phase needs degrees, not \"half\""},
        {{"program", "4687500", "5", "11", "512", "11", "48", "48", "--bw", "2.5"},
         "--bw needs a whole number from 0 to 255, not \"2.5\""},
        {{"outputs", "--out2", "no"}, "--out2 needs on or off, not \"no\""},
        {{"drive", "\x1b[2J"}, "drive needs 8mA, 16mA, 24mA or 32mA, not \"\\x1b[2J\""},
        {{"drive"}, "drive takes 1 argument; usage: tarnwell-ctl drive 8mA|16mA|24mA|32mA" + help},
        {{"set"},
         "set takes 1 argument; usage: tarnwell-ctl set HZ [--out2 HZ] [--phase DEG] [--nearest] "
         "[--closest] [--dry-run] [--wait-lock S]" +
             help},
    };
    for (const auto& [line, message] : rows) {
        const Outcome outcome = run(line);
        EXPECT_EQ(outcome.status, kExitUsage) << message;
        EXPECT_EQ(outcome.err, "tarnwell-ctl: " + message + "\n");
    }
}

// The numbers themselves are the contract with scripts, so they are spelled out here.
TEST_F(TarnwellCtl, EachFailureHasItsOwnExitStatus) {
    EXPECT_EQ(run({"show"}).status, 3);
    VirtualClock& clock = backend.addClock(clockWithSerial(u"A1"));
    // Every command that talks to one clock takes -s.
    for (std::vector<std::string_view> line : std::vector<std::vector<std::string_view>>{
             {"show"},
             {"status"},
             {"set", "1e7"},
             {"program", "4687500", "5", "11", "512", "11", "48", "48"},
             {"outputs", "--out1", "on"},
             {"identify", "off"},
             {"drive", "8mA"},
             {"sleep"},
             {"write-register", "1", "1"}}) {
        line.insert(line.end(), {"-s", "B2"});
        EXPECT_EQ(run(line).status, 3) << line[0];
    }

    clock.refuseOpens(OpenFailure::Busy);
    const Outcome busy = run({"show"});
    EXPECT_EQ(busy.status, 4);
    EXPECT_THAT(busy.err, HasSubstr("another program holds it"));
    clock.refuseOpens(std::nullopt);

    EXPECT_EQ(run({"set", "123"}).status, 5);

    clock.failNext(VirtualFault::SendFeature);
    const Outcome failedSend = run({"set", "10000000"});
    EXPECT_EQ(failedSend.status, 6);
    EXPECT_THAT(failedSend.err, HasSubstr("copy 1 of 2"));
    EXPECT_EQ(clock.receivedReports().size(), 0u) << "nothing is retried";

    clock.failNext(VirtualFault::GetFeature);
    EXPECT_EQ(run({"show"}).status, 6);

    clock.model().storePllByteWrongly(6);  // N2_HS
    const Outcome differs = run({"set", "10000000", "--json"});
    EXPECT_EQ(differs.status, 7);
    EXPECT_THAT(differs.err, HasSubstr("N2_HS sent 11, read back 12"));
    EXPECT_EQ((*differs.json()).at("exit_status"), 7);
    clock.model().storePllByteWrongly(17);  // the phase step
    EXPECT_EQ(run({"set", "10000000", "--phase", "7.5"}).status, 7);
    clock.model().storePllByteWrongly(std::nullopt);

    clock.state().status.noGpsSignal = true;
    const Outcome unlocked = run({"set", "10000000", "--wait-lock", "1"});
    EXPECT_EQ(unlocked.status, 8);
    EXPECT_THAT(unlocked.err, HasSubstr("no GPS signal within 1 s"));

    clock.setInputReportMode(InputReportMode::OnRequest);
    EXPECT_EQ(run({"status", "--timeout", "0.5"}).status, 6);

    // Unplugged after programming, during the pause before the readback.
    clock.setInputReportMode(InputReportMode::Continuous);
    onSleep = [&clock](std::size_t) { clock.unplug(); };
    const Outcome unplugged = run({"set", "10000000"});
    EXPECT_EQ(unplugged.status, 6);
    EXPECT_THAT(unplugged.err, HasSubstr("reading the setting back"));
}

TEST_F(TarnwellCtl, AClockThatStopsAnsweringEndsTheCommandInTime) {
    VirtualClock& clock = backend.addClock();
    const auto took = [this](const std::vector<std::string_view>& args, Outcome& outcome) {
        const auto start = elapsed;
        outcome = run(args);
        return elapsed - start;
    };
    Outcome outcome;
    clock.stall();
    EXPECT_EQ(took({"show"}, outcome), 1015ms);  // three pauses, then the request's own limit
    EXPECT_EQ(outcome.status, 6);
    EXPECT_THAT(outcome.err,
                HasSubstr("show: the clock did not answer the configuration request within 1 s"));
    // --timeout cuts the step short.
    EXPECT_EQ(took({"set", "10000000", "--timeout", "0.3"}, outcome), 300ms);
    EXPECT_EQ(outcome.status, 6);
    EXPECT_THAT(outcome.err, HasSubstr("the clock did not answer the command within 0.3 s"));
    clock.releaseStall();

    // A clock that sends no status is waited for as long as --timeout says.
    clock.setInputReportMode(InputReportMode::OnRequest);
    EXPECT_GE(took({"status", "--timeout", "0.5"}, outcome), 500ms);
    EXPECT_EQ(outcome.status, 6);
    EXPECT_THAT(outcome.err, HasSubstr("no status report came within 0.5 s"));
}

// The program's own pause: an interrupt ends it at once, otherwise it lasts its span.
TEST(CtlTimeReal, APauseEndsAtOnceOnAnInterruptAndOtherwiseLastsItsSpan) {
    bool interrupted = true;
    const CtlTime time = CtlTime::real([&interrupted] { return interrupted; });
    auto start = std::chrono::steady_clock::now();
    time.sleep(10s);
    ASSERT_LT(std::chrono::steady_clock::now() - start, 5s);
    interrupted = false;
    start = std::chrono::steady_clock::now();
    time.sleep(30ms);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 30ms);
}

TEST_F(TarnwellCtl, DuplicateSerialsUseTheFirstListedAndSaySo) {
    VirtualClock& first = backend.addClock(clockWithSerial(u"A1"));
    VirtualClock& second = backend.addClock(clockWithSerial(u"A1"));
    const Outcome outcome = run({"sleep", "-s", "A1"});
    EXPECT_EQ(outcome.status, kExitDone);
    EXPECT_THAT(outcome.err, HasSubstr("2 clocks have serial A1"));
    EXPECT_EQ(first.state().sleepCommands, 1u);
    EXPECT_EQ(second.state().sleepCommands, 0u);
}

TEST_F(TarnwellCtl, HelpNamesEveryCommandExitStatusAndJsonField) {
    backend.addClock();
    const Outcome help = run({"--help"});
    EXPECT_EQ(help.status, kExitDone);
    for (const char* command : {"list", "show", "status", "set HZ", "program GPS", "outputs",
                                "identify", "drive", "sleep", "write-register"})
        EXPECT_THAT(help.out, HasSubstr(std::string("\n  ") + command)) << command;
    for (int status : {1, 2, 3, 4, 5, 6, 7, 8, 9})
        EXPECT_THAT(help.out, HasSubstr("\n  " + std::to_string(status) + "   ")) << status;
    for (const auto& line : std::vector<std::vector<std::string_view>>{
             {"show", "--json"},
             {"set", "10000000", "--json", "--wait-lock", "1"},
             {"list", "--json"}}) {
        const auto json = run(line).json();
        ASSERT_TRUE(json);
        const Json& fields = line[0] == "list" ? (*json).at("clocks")[0] : *json;
        for (const auto& field : fields.items())
            EXPECT_THAT(help.out, HasSubstr("\"" + field.key() + "\"")) << field.key();
    }
    EXPECT_EQ(run({"--version"}).out, "tarnwell-ctl " TARNWELL_VERSION "\n");
}

}  // namespace
}  // namespace tarnwell::ctl
