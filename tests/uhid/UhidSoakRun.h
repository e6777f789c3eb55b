#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "SoakRandom.h"
#include "UhidClockProcess.h"
#include "WatchedBackend.h"
#include "hid/HidapiBackend.h"
#include "window/frmMain.h"

namespace tarnwell::uhidsoak {

using SteadyClock = std::chrono::steady_clock;
using Milliseconds = std::chrono::milliseconds;

// How soon after a change the window must show it; the textfile may take a second more. It is
// written at tarnwell-ctl's rounds, and after a stall its reopen of a clock waits for the stuck
// request to return, then lists, opens and reads: up to 2.06 s in this VM on a busy host.
inline constexpr Milliseconds kAgreementBound{2000};
inline constexpr Milliseconds kTextfileLagAllowed{1000};

// What a run did and saw, for the report at its end.
struct UhidSoakFigures {
    std::map<std::string, std::size_t> events;  // by kind
    std::size_t commandsMatched = 0;            // reached the clock byte for byte
    std::size_t commandsFailed = 0;             // reported failed to the window
    Milliseconds longestBlock{};                // of the window's event loop
    Milliseconds longestMachineStall{};         // of the whole VM, not counted in the block
    Milliseconds slowestWindowAgreement{};
    Milliseconds slowestTextfileAgreement{};
    std::vector<std::size_t> heap;  // the window's process, at each return to the start
    std::vector<long> ctlResidentKiB;
    std::optional<Milliseconds> ctlStop;  // from SIGTERM to its exit
    std::vector<std::string> problems;    // the first few
    std::size_t problemCount = 0;
};

// A feature report the window handed to the HID layer, and whether the layer said it went out.
struct SentReport {
    std::vector<std::uint8_t> bytes;
    bool sent = false;
};

// What the soak knows about one simulated clock: what its node answers and what it reports.
struct ClockMirror {
    std::string serial;
    bool plugged = true;
    bool denied = false;  // its node's mode forbids this user
    std::optional<SteadyClock::time_point> stalledUntil;
    // When it was told to answer the next configuration request with garbage.
    std::optional<SteadyClock::time_point> garbledAt;
    std::uint8_t signalLossCount = 0;
    std::uint8_t statusBits = 0;

    bool stalled(SteadyClock::time_point now) const { return stalledUntil && now < *stalledUntil; }
    bool answering(SteadyClock::time_point now) const {
        return plugged && !denied && !stalled(now);
    }
};

// The window (offscreen) and a running `tarnwell-ctl status --prometheus --watch --textfile`
// against clocks on the kernel's HID stack, driven by a seeded random mix of stalls, unplugs
// and replugs, a second clock coming and going, garbage input reports and configuration answers,
// permission flips on the nodes, status changes and the window's own commands. After each event
// both must agree with the clocks within the bound; the window's event loop and every command it
// sends are watched all along.
class UhidSoakRun {
public:
    UhidSoakRun(std::uint64_t seed, std::string textfile);
    ~UhidSoakRun();
    UhidSoakRun(const UhidSoakRun&) = delete;
    UhidSoakRun& operator=(const UhidSoakRun&) = delete;

    // Empty when the clocks, the window and tarnwell-ctl all came up.
    const std::string& startFailure() const { return startFailure_; }
    void step();
    // Every clock plugged in, answering, permitted and reporting no fault, agreed on by both
    // views; the commands the clocks received checked against those sent; the heap measured.
    void returnToStart();
    // Stops tarnwell-ctl, which must end promptly.
    void finish();

    const UhidSoakFigures& figures() const { return figures_; }
    std::size_t eventCount() const { return eventIndex_; }

private:
    enum class Event;
    Event drawEvent();
    void run(Event event);

    void stall(bool longerThanTheLimit);
    void plugOrUnplug(ClockMirror& clock);
    void changeStatus();
    void garbageInput();
    void garbageConfiguration();
    void flipPermission();
    void setPermission(ClockMirror& clock, bool denied);
    void windowCommand();
    void click(const char* name);

    ClockMirror& randomClock();
    std::optional<std::string> nodeOf(const std::string& serial);
    void rig(const std::string& request);
    void pump(Milliseconds span);
    void awaitAgreement(SteadyClock::time_point change, Milliseconds bound = kAgreementBound);
    bool anyClockStalled(SteadyClock::time_point now) const;
    std::optional<std::string> windowDisagreement(SteadyClock::time_point now) const;
    std::optional<std::string> textfileDisagreement(SteadyClock::time_point now) const;
    void checkCommands();
    void checkCtlRunning();
    void note(std::string problem);

    soak::SoakRandom random_;
    std::string textfile_;
    std::string startFailure_;
    uhidclock::UhidClockProcess rig_;
    std::vector<ClockMirror> clocks_;
    HidapiBackend backend_;
    HidapiBackend ownBackend_;  // the soak's own listings
    // Sent reports per serial, written on the window's I/O threads.
    std::mutex sentMutex_;
    std::map<std::string, std::vector<SentReport>> sent_;
    class RecordingBackend;
    std::unique_ptr<RecordingBackend> recording_;
    std::unique_ptr<soak::WatchedBackend> watched_;
    std::unique_ptr<frmMain> window_;
    NumberLocale locale_;
    pid_t ctl_ = -1;
    // The window's event loop, by a timer that fires every few milliseconds: the longest gap.
    class Heartbeat;
    std::unique_ptr<Heartbeat> heartbeat_;
    bool measuringBlocks_ = false;
    UhidSoakFigures figures_;
    std::size_t eventIndex_ = 0;
    std::deque<std::string> recentEvents_;
};

}  // namespace tarnwell::uhidsoak
