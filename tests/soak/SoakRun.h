#pragma once

#include <QObject>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "SoakRandom.h"
#include "WatchedBackend.h"
#include "WindowState.h"
#include "sim/VirtualClockBackend.h"
#include "window/frmMain.h"

namespace tarnwell::soak {

// What a run did and what it saw, for the report at its end.
struct SoakFigures {
    std::map<std::string, std::size_t> events;  // by kind
    std::map<std::string, std::size_t> faults;  // injected, by kind
    std::map<int, std::size_t> commandsSent;    // by command code, as they reached the HID layer
    std::size_t configurationReads = 0;
    std::size_t warningsShown = 0;
    std::vector<std::string> problems;  // broken invariants, each with the event it happened in
};

// The window on several virtual clocks, driven by a seeded random sequence of user actions,
// timer ticks, unplugs and replugs and injected device faults. Every feature report is checked
// against the window at the moment it is sent; every event is checked for escaped handler
// failures.
class SoakRun {
public:
    explicit SoakRun(std::uint64_t seed);
    ~SoakRun();
    SoakRun(const SoakRun&) = delete;
    SoakRun& operator=(const SoakRun&) = delete;

    // One random event and the checks after it.
    void step();
    // Every fault cleared, every clock unplugged and plugged back, one poll to reconnect and one
    // to read the status.
    void settle();
    // The clocks as the run found them, settled, Find for the longest output-2 list and then for
    // 10 MHz, settled again: the same state every time, where the heap of one moment compares
    // with that of another.
    void returnToStart();
    // What the window shows, next to what a freshly started window on the same clocks shows.
    std::pair<WindowState, WindowState> compareWithFreshWindow();

    // A handler failure that the window caught and logged instead of letting it escape.
    void noteEscapedFailure(const std::string& message) { note("a handler failed: " + message); }

    const SoakFigures& figures() const { return figures_; }
    std::size_t eventCount() const { return eventIndex_; }

private:
    enum class Event;
    Event drawEvent();
    void run(Event event);
    void queueForNextYield();

    void tick();
    void plugOrUnplug();
    void injectFault();
    void changeStatus();
    void pickSerialNumber();
    void find();
    void typeIntoBox();
    void clickCommand();
    void callHandlerDirectly();
    void pickListEntry();

    VirtualClock& randomClock();
    void userClick(const char* name);
    void watch(const FeatureTransfer& transfer);
    void note(std::string problem);

    SoakRandom random_;
    VirtualClockBackend clocks_;
    WatchedBackend backend_;
    std::unique_ptr<frmMain> window_;
    QObject queueContext_;
    NumberLocale locale_;
    SoakFigures figures_;
    std::size_t eventIndex_ = 0;
    std::string currentEvent_;
    std::deque<std::string> recentEvents_;
};

}  // namespace tarnwell::soak
