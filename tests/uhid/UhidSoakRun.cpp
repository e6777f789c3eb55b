#include "UhidSoakRun.h"

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <array>
#include <fstream>
#include <sstream>
#include <string_view>
#include <thread>

#include "HeapInUse.h"
#include "TransferCheck.h"
#include "device/FeatureReport.h"
#include "sim/ForwardingBackend.h"
#include "window/WindowLocale.h"

extern char** environ;

namespace tarnwell::uhidsoak {

using namespace std::chrono_literals;

namespace {

// The bounds the run holds the tool to.
constexpr Milliseconds kLongestBlockAllowed = 250ms;
// Both programs starting under emulation, with their libraries read over the VM's shared folder.
constexpr Milliseconds kStartBound = 20s;
// How often tarnwell-ctl's metrics loop reads the clocks, at most.
constexpr Milliseconds kMetricsRound = 2s;
// Requests to a clock are given up after 1 s: stalls on either side of that.
constexpr std::pair<int, int> kShortStallMs{200, 900};
constexpr std::pair<int, int> kLongStallMs{1200, 3500};
constexpr int kLongestDwellMs = 400;
constexpr std::size_t kInputPayload = uhidclock::kDefaultInputReportLength - 1;
constexpr std::size_t kRecentEventsKept = 8;
constexpr std::size_t kProblemsKept = 20;
const std::array<std::string, 2> kSerials = {"SOAK-S1", "SOAK-S2"};

std::string serialText(const std::optional<std::u16string>& serial) {
    std::string text;
    for (const char16_t c : serial.value_or(u""))
        text += char(c);
    return text;
}

std::string hexText(std::span<const std::uint8_t> bytes) {
    return uhidclock::formatLogLine({"", {bytes.begin(), bytes.end()}}).substr(1);
}

Milliseconds inMs(SteadyClock::duration span) {
    return std::chrono::duration_cast<Milliseconds>(span);
}

}  // namespace

// Every sent feature report, with its outcome, kept by the clock's serial number.
class UhidSoakRun::RecordingBackend final : public ForwardingBackend {
public:
    using Record = std::function<void(const std::string& serial, SentReport)>;
    RecordingBackend(HidBackend& inner, Record record)
        : ForwardingBackend(inner), record_(std::move(record)) {}

    // Listing and opening run on the window's thread: the slowest since the last question.
    std::vector<HidDeviceInfo> enumerate(std::uint16_t vendorId, std::uint16_t productId) override {
        const SteadyClock::time_point start = SteadyClock::now();
        auto listed = ForwardingBackend::enumerate(vendorId, productId);
        timed("listing", start);
        return listed;
    }
    OpenResult open(const std::string& path) override {
        const SteadyClock::time_point start = SteadyClock::now();
        OpenResult opened = ForwardingBackend::open(path);
        timed("opening " + path, start);
        return opened;
    }
    std::string slowestCall() {
        return std::exchange(slowest_, {}) + " took " +
               std::to_string(std::exchange(slowestTook_, {}).count()) + " ms";
    }

private:
    class Device final : public ForwardingDevice {
    public:
        Device(std::unique_ptr<HidDevice> inner, std::string serial, Record record)
            : ForwardingDevice(std::move(inner)),
              serial_(std::move(serial)),
              record_(std::move(record)) {}
        bool sendFeatureReport(std::span<const std::uint8_t> report) override {
            const bool sent = ForwardingDevice::sendFeatureReport(report);
            record_(serial_, {{report.begin(), report.end()}, sent});
            return sent;
        }

    private:
        std::string serial_;
        Record record_;
    };

    std::unique_ptr<HidDevice> wrap(const std::string& path,
                                    std::unique_ptr<HidDevice> device) override {
        std::string serial;
        for (const HidDeviceInfo& info : inner().enumerate(DeviceVendorId, DeviceProductId)) {
            if (info.path == path)
                serial = serialText(info.serial);
        }
        return std::make_unique<Device>(std::move(device), serial, record_);
    }

    void timed(const std::string& what, SteadyClock::time_point start) {
        const Milliseconds took = inMs(SteadyClock::now() - start);
        if (took >= slowestTook_) {
            slowestTook_ = took;
            slowest_ = what;
        }
    }

    Record record_;
    std::string slowest_;
    Milliseconds slowestTook_{};
};

namespace {

// Metric name to value, by serial number, from the Prometheus text.
using TextfileSamples = std::map<std::string, std::map<std::string, double>>;

TextfileSamples readTextfile(const std::string& path) {
    TextfileSamples samples;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        const std::size_t brace = line.find("{serial=\"");
        const std::size_t close = line.rfind("} ");
        if (line.starts_with('#') || brace == std::string::npos || close == std::string::npos)
            continue;
        const std::size_t start = brace + 9;
        const std::string serial = line.substr(start, line.find('"', start) - start);
        samples[serial][line.substr(0, brace)] = std::strtod(line.c_str() + close + 2, nullptr);
    }
    return samples;
}

long residentKiB(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.starts_with("VmRSS:"))
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

}  // namespace

// The window's event loop, by a timer that fires every few milliseconds. Under emulation on a
// busy host the whole VM stalls now and then: a thread that only sleeps sees those stalls, and
// what it saw during a gap is not counted against the window.
class UhidSoakRun::Heartbeat {
public:
    Heartbeat() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const SteadyClock::time_point now = SteadyClock::now();
            const SteadyClock::duration gap = now - last_;
            longest_ = std::max(longest_, gap - machineStallWithin(now - gap, now));
            machineLongest_ = std::max(machineLongest_, machineStallWithin(now - gap, now));
            last_ = now;
        });
        timer_.start(5);
        sleeper_ = std::jthread([this](std::stop_token stop) {
            SteadyClock::time_point before = SteadyClock::now();
            while (!stop.stop_requested()) {
                std::this_thread::sleep_for(5ms);
                const SteadyClock::time_point now = SteadyClock::now();
                if (now - before > 20ms) {
                    const std::lock_guard lock(mutex_);
                    stalls_.push_back({before, now});
                    if (stalls_.size() > 64)
                        stalls_.pop_front();
                }
                before = now;
            }
        });
    }
    // Of the machine's stalls overlapping the span, the longest part inside it.
    SteadyClock::duration machineStallWithin(SteadyClock::time_point from,
                                             SteadyClock::time_point to) {
        const std::lock_guard lock(mutex_);
        SteadyClock::duration longest{};
        for (const auto& [start, end] : stalls_)
            longest = std::max(longest, std::min(end, to) - std::max(start, from));
        return longest;
    }
    SteadyClock::duration machineLongest() const { return machineLongest_; }
    // After the soak's own work, which is not the window's.
    void skip() { last_ = SteadyClock::now(); }
    void restart() {
        skip();
        longest_ = {};
    }
    SteadyClock::duration longest() const { return longest_; }

private:
    QTimer timer_;
    SteadyClock::time_point last_ = SteadyClock::now();
    SteadyClock::duration longest_{};
    SteadyClock::duration machineLongest_{};
    std::mutex mutex_;
    std::deque<std::pair<SteadyClock::time_point, SteadyClock::time_point>> stalls_;
    std::jthread sleeper_;
};

enum class UhidSoakRun::Event {
    ShortStall,
    LongStall,
    PlugOrUnplug,
    SecondClock,
    StatusChange,
    GarbageInput,
    GarbageConfiguration,
    PermissionFlip,
    WindowCommand,
    Idle,
};

namespace {

struct EventWeight {
    std::string_view name;
    int weight;
};
// Indexed by UhidSoakRun::Event.
constexpr std::array<EventWeight, 10> kEvents{{{"stall shorter than the limit", 6},
                                               {"stall longer than the limit", 5},
                                               {"unplug or replug", 4},
                                               {"second clock comes or goes", 4},
                                               {"status change", 8},
                                               {"garbage input report", 6},
                                               {"garbage configuration answer", 4},
                                               {"permission flip", 4},
                                               {"window command", 10},
                                               {"idle", 3}}};

}  // namespace

UhidSoakRun::UhidSoakRun(std::uint64_t seed, std::string textfile)
    : random_(seed),
      textfile_(std::move(textfile)),
      rig_({kSerials[0], kSerials[1]}),
      locale_(numberLocaleOf(QLocale())) {
    if (!rig_.running()) {
        startFailure_ = "the uhid clocks did not come up";
        return;
    }
    for (const std::string& serial : kSerials) {
        ClockMirror clock;
        clock.serial = serial;
        clocks_.push_back(clock);
    }
    // The second clock is not there at first.
    plugOrUnplug(clocks_[1]);
    if (!uhidclock::eventually([&] { return nodeOf(kSerials[0]) && !nodeOf(kSerials[1]); }, 10s)) {
        startFailure_ = "the first clock's node did not appear";
        return;
    }

    recording_ = std::make_unique<RecordingBackend>(
        backend_, [this](const std::string& serial, SentReport report) {
            const std::lock_guard lock(sentMutex_);
            sent_[serial].push_back(std::move(report));
        });
    watched_ = std::make_unique<soak::WatchedBackend>(
        *recording_, [this](const soak::FeatureTransfer& transfer) {
            for (std::string& problem : soak::transferProblems(transfer, *window_, locale_))
                note(std::move(problem));
        });
    window_ = std::make_unique<frmMain>(*watched_, frmMain::DeviceWait{},
                                        [](QWidget&, const QString&, const QString&) {});
    window_->setNoticeBox([](QWidget&, const QString&) {});
    window_->Form_Load();

    std::vector<std::string> arguments = {TARNWELL_CTL_PROGRAM, "status", "--prometheus", "--watch",
                                          "--textfile",         textfile_};
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    if (::posix_spawn(&ctl_, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        ctl_ = -1;
        startFailure_ = "tarnwell-ctl did not start";
        return;
    }
    heartbeat_ = std::make_unique<Heartbeat>();
    awaitAgreement(SteadyClock::now(), kStartBound);
    if (!figures_.problems.empty())
        startFailure_ =
            "the window and the textfile never showed the clock: " + figures_.problems.front();
    // Its first paint loads fonts and such: the window's start is not what is measured.
    heartbeat_->restart();
    measuringBlocks_ = true;
}

UhidSoakRun::~UhidSoakRun() {
    if (ctl_ > 0) {
        ::kill(ctl_, SIGKILL);
        ::waitpid(ctl_, nullptr, 0);
    }
    if (window_)
        window_->Form_Unload();
}

UhidSoakRun::Event UhidSoakRun::drawEvent() {
    return Event(random_.pickWeighted(std::span<const EventWeight>(kEvents)));
}

void UhidSoakRun::step() {
    ++eventIndex_;
    const Event event = drawEvent();
    const std::string name(kEvents[std::size_t(event)].name);
    ++figures_.events[name];
    recentEvents_.push_back("#" + std::to_string(eventIndex_) + " " + name);
    if (recentEvents_.size() > kRecentEventsKept)
        recentEvents_.pop_front();
    const SteadyClock::time_point change = SteadyClock::now();
    run(event);
    awaitAgreement(change);
    pump(Milliseconds(random_.below(kLongestDwellMs)));
}

void UhidSoakRun::run(Event event) {
    switch (event) {
        case Event::ShortStall:
            stall(false);
            break;
        case Event::LongStall:
            stall(true);
            break;
        case Event::PlugOrUnplug:
            plugOrUnplug(clocks_[0]);
            break;
        case Event::SecondClock:
            plugOrUnplug(clocks_[1]);
            break;
        case Event::StatusChange:
            changeStatus();
            break;
        case Event::GarbageInput:
            garbageInput();
            break;
        case Event::GarbageConfiguration:
            garbageConfiguration();
            break;
        case Event::PermissionFlip:
            flipPermission();
            break;
        case Event::WindowCommand:
            windowCommand();
            break;
        case Event::Idle:
            break;
    }
}

void UhidSoakRun::stall(bool longerThanTheLimit) {
    ClockMirror& clock = randomClock();
    const auto [low, high] = longerThanTheLimit ? kLongStallMs : kShortStallMs;
    const int ms = low + int(random_.below(std::size_t(high - low)));
    clock.stalledUntil = SteadyClock::now() + Milliseconds(ms);
    rig("stall " + clock.serial + " " + std::to_string(ms));
}

void UhidSoakRun::plugOrUnplug(ClockMirror& clock) {
    clock.plugged = !clock.plugged;
    // A new node comes as devtmpfs makes it; whoever stands in for the udev rule opens it.
    clock.denied = false;
    rig((clock.plugged ? "plug " : "unplug ") + clock.serial);
}

void UhidSoakRun::changeStatus() {
    ClockMirror& clock = randomClock();
    clock.signalLossCount = std::uint8_t(random_.below(256));
    clock.statusBits = std::uint8_t(random_.below(4));
    rig("status " + clock.serial + " " + std::to_string(clock.signalLossCount) + " " +
        std::to_string(clock.statusBits));
}

// Mostly too short to hold a status; now and then full length with nonsense in it.
void UhidSoakRun::garbageInput() {
    std::vector<std::uint8_t> bytes(1 + random_.below(kInputPayload));
    for (std::uint8_t& byte : bytes)
        byte = std::uint8_t(random_.below(256));
    ClockMirror& clock = randomClock();
    if (clock.plugged)
        rig("send-raw-input " + clock.serial + " " + hexText(bytes));
}

// Short, long, all zeros or random: whoever reads the configuration next gets it.
void UhidSoakRun::garbageConfiguration() {
    ClockMirror& clock = randomClock();
    if (!clock.plugged)
        return;
    // A stalled clock gives it when the stall ends.
    clock.garbledAt = std::max(SteadyClock::now(), clock.stalledUntil.value_or(SteadyClock::now()));
    if (random_.chance(0.2)) {
        rig("answer-config " + clock.serial + " -");
        return;
    }
    std::vector<std::uint8_t> bytes(1 + random_.below(2 * uhidclock::kDefaultFeatureReportLength));
    const bool zeros = random_.chance(0.3);
    for (std::uint8_t& byte : bytes)
        byte = zeros ? 0 : std::uint8_t(random_.below(256));
    rig("answer-config " + clock.serial + " " + hexText(bytes));
}

void UhidSoakRun::flipPermission() {
    ClockMirror& clock = randomClock();
    setPermission(clock, !clock.denied);
}

// Only a user who is not root is held back by a node's mode.
void UhidSoakRun::setPermission(ClockMirror& clock, bool denied) {
    const std::optional<std::string> node = nodeOf(clock.serial);
    if (::geteuid() != 0 && node && ::chmod(node->c_str(), denied ? 0 : 0600) == 0)
        clock.denied = denied;
    heartbeat_->skip();
}

void UhidSoakRun::windowCommand() {
    static constexpr std::array<const char*, 8> kButtons = {"OUT1EN",  "OUT2EN",    "OUT1ID",
                                                            "OUT2ID",  "Sleep_cmd", "WriteRegister",
                                                            "SetFreq", "FindFreq"};
    static constexpr std::array<const char*, 4> kFrequencies = {"10000000", "25000000", "1000000",
                                                                "156250000"};
    const char* name = kButtons[random_.below(kButtons.size())];
    if (std::string_view(name) == "FindFreq")
        window_->findChild<QLineEdit*>("Out1Freq")
            ->setText(kFrequencies[random_.below(kFrequencies.size())]);
    if (std::string_view(name) == "WriteRegister") {
        window_->findChild<QLineEdit*>("REG")->setText(QString::number(random_.below(256)));
        window_->findChild<QLineEdit*>("DATA")->setText(QString::number(random_.below(256)));
    }
    click(name);
}

// As a person can: only a button that is shown and enabled.
void UhidSoakRun::click(const char* name) {
    auto* button = window_->findChild<QAbstractButton*>(name);
    if (button->isVisibleTo(window_.get()) && button->isEnabled())
        button->click();
}

ClockMirror& UhidSoakRun::randomClock() {
    return clocks_[random_.below(clocks_.size())];
}

std::optional<std::string> UhidSoakRun::nodeOf(const std::string& serial) {
    for (const HidDeviceInfo& info : ownBackend_.enumerate(DeviceVendorId, DeviceProductId)) {
        if (serialText(info.serial) == serial)
            return info.path;
    }
    return std::nullopt;
}

void UhidSoakRun::rig(const std::string& request) {
    const uhidclock::UhidClockProcess::Reply reply = rig_.request(request);
    if (!reply.ok)
        note("the clock simulator refused '" + request + "'" +
             (reply.lines.empty() ? "" : ": " + reply.lines.front()));
    if (heartbeat_)
        heartbeat_->skip();
}

void UhidSoakRun::pump(Milliseconds span) {
    const SteadyClock::time_point end = SteadyClock::now() + span;
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        figures_.longestMachineStall = inMs(heartbeat_->machineLongest());
        if (measuringBlocks_ && inMs(heartbeat_->longest()) > figures_.longestBlock) {
            figures_.longestBlock = inMs(heartbeat_->longest());
            if (figures_.longestBlock > kLongestBlockAllowed)
                note("the window's event loop was blocked for " +
                     std::to_string(figures_.longestBlock.count()) + " ms; its slowest call " +
                     recording_->slowestCall());
        }
        checkCtlRunning();
        std::this_thread::sleep_for(2ms);
    } while (SteadyClock::now() < end);
}

// Both views must reach what the clocks say within the bound of the latest change, which may be
// a timed stall that ended meanwhile; the textfile within its lag beyond it.
void UhidSoakRun::awaitAgreement(SteadyClock::time_point change, Milliseconds bound) {
    // How long each view was last seen to disagree.
    Milliseconds windowTook{};
    Milliseconds textfileTook{};
    while (true) {
        const SteadyClock::time_point now = SteadyClock::now();
        SteadyClock::time_point latest = change;
        for (const ClockMirror& clock : clocks_) {
            if (clock.stalledUntil && *clock.stalledUntil <= now)
                latest = std::max(latest, *clock.stalledUntil);
        }
        const std::optional<std::string> windowSays = windowDisagreement(now);
        const std::optional<std::string> textfileSays = textfileDisagreement(now);
        heartbeat_->skip();
        const Milliseconds elapsed = inMs(now - latest);
        if (windowSays)
            windowTook = elapsed;
        if (textfileSays)
            textfileTook = elapsed;
        const bool windowLate = windowSays && elapsed > bound;
        const bool textfileLate = textfileSays && elapsed > bound + kTextfileLagAllowed;
        if (windowLate)
            note("the window disagrees with the clocks: " + *windowSays);
        if (textfileLate)
            note("the textfile disagrees with the clocks: " + *textfileSays);
        if ((!windowSays && !textfileSays) || windowLate || textfileLate)
            break;
        pump(20ms);
    }
    figures_.slowestWindowAgreement = std::max(figures_.slowestWindowAgreement, windowTook);
    figures_.slowestTextfileAgreement = std::max(figures_.slowestTextfileAgreement, textfileTook);
}

// While a request to a stalled clock is stuck, the kernel holds every open of a hidraw node, and
// every request queued behind one: neither view can be expected to open a clock meanwhile.
bool UhidSoakRun::anyClockStalled(SteadyClock::time_point now) const {
    return std::ranges::any_of(clocks_,
                               [now](const ClockMirror& c) { return c.plugged && c.stalled(now); });
}

// The clock the window has open must be there and show its status; with none open, none that
// it could open may be waiting. A stalled clock looks like a quiet one until the window asks it.
std::optional<std::string> UhidSoakRun::windowDisagreement(SteadyClock::time_point now) const {
    const std::string shown = window_->findChild<QComboBox*>("SerNo")->currentText().toStdString();
    const auto mirror = std::ranges::find(clocks_, shown, &ClockMirror::serial);
    if (!window_->deviceOpen()) {
        const auto waiting =
            std::ranges::find_if(clocks_, [now](const ClockMirror& c) { return c.answering(now); });
        if (waiting == clocks_.end() || anyClockStalled(now))
            return std::nullopt;
        return "no clock open while " + waiting->serial + " answers";
    }
    if (mirror == clocks_.end())
        return "open with an unknown clock '" + shown + "'";
    if (!mirror->plugged)
        return shown + " is open but unplugged";
    if (mirror->stalled(now))
        return std::nullopt;
    const QString expected = QStringLiteral("Signal loss count: %1").arg(mirror->signalLossCount);
    const QString label = window_->findChild<QLabel*>("Label16")->text();
    const bool noGps = !window_->findChild<QLabel*>("LOS")->isHidden();
    const bool noLock = !window_->findChild<QLabel*>("LOL")->isHidden();
    if (label == expected && noGps == bool(mirror->statusBits & 1) &&
        noLock == bool(mirror->statusBits & 2))
        return std::nullopt;
    return shown + " shows '" + label.toStdString() + "' " + (noGps ? "no GPS " : "") +
           (noLock ? "no lock" : "") + " for " + std::to_string(mirror->signalLossCount) +
           " bits " + std::to_string(mirror->statusBits);
}

// A clock that answers is up with its status (or down while another is stalled); one that does
// not is never up.
std::optional<std::string> UhidSoakRun::textfileDisagreement(SteadyClock::time_point now) const {
    const TextfileSamples samples = readTextfile(textfile_);
    for (const ClockMirror& clock : clocks_) {
        const auto found = samples.find(clock.serial);
        const auto value = [&](const char* name) {
            return found == samples.end() || !found->second.contains(name) ? -1.0
                                                                           : found->second.at(name);
        };
        // A node's mode binds only new opens: a clock kept open through a permission flip still
        // answers, one that was not cannot be opened again.
        const bool onlyDenied = clock.plugged && clock.denied && !clock.stalled(now);
        if (!clock.answering(now) && !onlyDenied) {
            if (value("tarnwell_clock_up") == 1)
                return clock.serial + " is up, but it does not answer";
            continue;
        }
        if ((onlyDenied || anyClockStalled(now)) && value("tarnwell_clock_up") != 1)
            continue;
        // Whoever reads the configuration next, tarnwell-ctl at its next round or the window,
        // gets the garbage; a failed round stays in the file until the one after it.
        if (clock.garbledAt && now - *clock.garbledAt < 2 * kMetricsRound &&
            value("tarnwell_clock_up") == 0)
            continue;
        if (value("tarnwell_clock_up") != 1 ||
            value("tarnwell_gps_signal_losses") != clock.signalLossCount ||
            value("tarnwell_gps_signal") != ((clock.statusBits & 1) ? 0 : 1) ||
            value("tarnwell_pll_locked") != ((clock.statusBits & 2) ? 0 : 1))
            return clock.serial + " shows up " + std::to_string(value("tarnwell_clock_up")) +
                   " losses " + std::to_string(value("tarnwell_gps_signal_losses")) + " for " +
                   std::to_string(clock.signalLossCount) + " bits " +
                   std::to_string(clock.statusBits);
    }
    return std::nullopt;
}

void UhidSoakRun::returnToStart() {
    for (ClockMirror& clock : clocks_) {
        rig("resume " + clock.serial);
        clock.stalledUntil.reset();
        if (!clock.plugged)
            plugOrUnplug(clock);
        if (clock.denied)
            setPermission(clock, false);
        clock.signalLossCount = 0;
        clock.statusBits = 0;
        rig("status " + clock.serial + " 0 0");
    }
    awaitAgreement(SteadyClock::now());
    // The window's page store keeps the room of its longest output-2 list: the longest there
    // is, then a short one, so that every return holds as much.
    for (const char* wanted : {"365", "10000000"}) {
        window_->findChild<QLineEdit*>("Out1Freq")->setText(wanted);
        click("FindFreq");
    }
    checkCommands();
    figures_.heap.push_back(soak::heapInUse());
    if (ctl_ > 0)
        figures_.ctlResidentKiB.push_back(residentKiB(ctl_));
    heartbeat_->skip();
}

// In order, every report the window's HID layer sent is in the clock's log, and nothing else
// is; one the layer reported failed may be missing.
void UhidSoakRun::checkCommands() {
    for (const ClockMirror& clock : clocks_) {
        std::vector<uhidclock::LoggedReport> received;
        for (uhidclock::LoggedReport& report : rig_.log(clock.serial)) {
            if (report.kind == "set-feature")
                received.push_back(std::move(report));
        }
        rig("clear-log " + clock.serial);
        std::vector<SentReport> sent;
        {
            const std::lock_guard lock(sentMutex_);
            sent = std::exchange(sent_[clock.serial], {});
        }
        auto next = received.begin();
        for (const SentReport& report : sent) {
            if (next != received.end() && next->bytes == report.bytes) {
                ++next;
                ++figures_.commandsMatched;
            } else if (!report.sent) {
                ++figures_.commandsFailed;
            } else {
                note(clock.serial + " did not receive " + hexText(report.bytes) +
                     (next == received.end() ? "" : " but " + hexText(next->bytes)));
                return;
            }
        }
        for (; next != received.end(); ++next)
            note(clock.serial + " received " + hexText(next->bytes) + ", which nobody sent");
    }
}

void UhidSoakRun::checkCtlRunning() {
    int status = 0;
    if (ctl_ > 0 && ::waitpid(ctl_, &status, WNOHANG) == ctl_) {
        ctl_ = -1;
        note("tarnwell-ctl ended on its own, status " + std::to_string(status));
    }
}

void UhidSoakRun::finish() {
    if (ctl_ <= 0)
        return;
    const SteadyClock::time_point asked = SteadyClock::now();
    ::kill(ctl_, SIGTERM);
    int status = 0;
    while (::waitpid(ctl_, &status, WNOHANG) == 0 && SteadyClock::now() - asked < 10s)
        std::this_thread::sleep_for(5ms);
    figures_.ctlStop = inMs(SteadyClock::now() - asked);
    if (*figures_.ctlStop > 1s) {
        note("tarnwell-ctl took " + std::to_string(figures_.ctlStop->count()) +
             " ms to end after SIGTERM");
        ::kill(ctl_, SIGKILL);
        ::waitpid(ctl_, nullptr, 0);
    }
    ctl_ = -1;
}

void UhidSoakRun::note(std::string problem) {
    const std::lock_guard lock(sentMutex_);
    ++figures_.problemCount;
    if (figures_.problems.size() >= kProblemsKept)
        return;
    for (const std::string& event : recentEvents_)
        problem += "\n    after " + event;
    figures_.problems.push_back(std::move(problem));
}

}  // namespace tarnwell::uhidsoak
