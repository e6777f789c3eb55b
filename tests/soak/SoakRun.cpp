#include "SoakRun.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <array>
#include <chrono>
#include <exception>
#include <string_view>
#include <utility>

#include "TransferCheck.h"
#include "window/WindowLocale.h"

namespace tarnwell::soak {

enum class SoakRun::Event {
    Tick,
    PlugOrUnplug,
    InjectFault,
    ChangeStatus,
    PickSerialNumber,
    Find,
    TypeIntoBox,
    ClickCommand,
    CallHandlerDirectly,
    PickListEntry,
    Page,
    QueueThenFindOrUpdate,
};

namespace {

struct EventWeight {
    std::string_view name;
    int weight;
};

// Indexed by SoakRun::Event. Ticks and typing dominate, as in real use; faults are frequent
// enough that most reads and commands meet one now and then.
constexpr std::array<EventWeight, 12> kEvents{{{"tick", 22},
                                               {"unplug or replug", 5},
                                               {"device fault", 8},
                                               {"status change", 4},
                                               {"SerNo pick", 4},
                                               {"Find", 3},
                                               {"typing", 22},
                                               {"command click", 12},
                                               {"handler called from code", 4},
                                               {"list pick", 5},
                                               {"paging", 3},
                                               {"events inside Find/Update", 2}}};

// Clocks that differ in what matters here: report lengths (down to too short for the
// configuration and for command 4), input reports too short for the status, output-2 lists
// from a handful to thousands of entries, and serial numbers that choose either BW.
struct ClockPlan {
    std::u16string serial;
    std::size_t featureReportLength;
    std::size_t inputReportLength;
    PllBoxValues pll;
};
// The last one, which a reconnection opens, can be read in full.
const std::array<ClockPlan, 4> kClockPlans{{
    {u"D4000004", 17, 2, {2875000, 3, 11, 480, 11, 46, 46, 0, 15}},
    {u"B2000002", 64, 3, {4687500, 5, 11, 512, 11, 48, 48, 5, 6}},
    {u"C3000003", 22, 65, {10000000, 3, 10, 48, 8, 6, 6000, 2, 15}},
    {u"A1000001", 65, 65, {10000000, 1000, 10, 51234, 5, 100, 200, 0, 3}},
}};

ClockState initialState(const ClockPlan& plan) {
    ClockState state;
    state.pllSettings = encodePllSettings(plan.pll).bytes;
    return state;
}

// Frequencies Find is given besides whatever the box holds: the documented ones, low ones whose
// output-2 lists need paging, fractions, one that finds nothing, texts the search refuses, and
// values beyond what any divider reaches.
constexpr std::array<std::string_view, 16> kFindTexts = {
    "10000000", "25000000", "123", "100000000", "156250000",  "1E7", "812500000", "900000000",
    "1000",     "5000",     "400", "12345.678", "33333333.3", "1e6", "abc",       ""};

struct TypedBox {
    const char* name;
    double low;
    double high;
};
constexpr std::array<TypedBox, 11> kTypedBoxes{{{"Out1Freq", 1, 1e9},
                                                {"GPS", 1, 10000000},
                                                {"N31", 1, 524288},
                                                {"N2_HS", 4, 11},
                                                {"N2_LS", 2, 1048576},
                                                {"N1_HS", 4, 11},
                                                {"NC1_LS", 2, 1048576},
                                                {"NC2_LS", 2, 1048576},
                                                {"BW", 0, 255},
                                                {"REG", 0, 255},
                                                {"DATA", 0, 255}}};

constexpr std::array<const char*, 7> kCommandButtons = {
    "OUT1EN", "OUT2EN", "OUT1ID", "OUT2ID", "Sleep_cmd", "WriteRegister", "SetFreq"};

constexpr std::size_t kRecentEventsKept = 12;
constexpr std::size_t kProblemsKept = 20;

// The window reports a handler that failed through qWarning; the run in progress hears of it.
SoakRun* runHearingWarnings = nullptr;
QtMessageHandler previousMessageHandler = nullptr;

void hearMessage(QtMsgType type, const QMessageLogContext& context, const QString& message);

}  // namespace

SoakRun::SoakRun(std::uint64_t seed)
    : random_(seed),
      backend_(clocks_, [this](const FeatureTransfer& transfer) { watch(transfer); }),
      locale_(numberLocaleOf(QLocale())) {
    for (const ClockPlan& plan : kClockPlans) {
        VirtualClockDescription description;
        description.serial = plan.serial;
        description.featureReportLength = plan.featureReportLength;
        description.inputReportLength = plan.inputReportLength;
        clocks_.addClock(description).state() = initialState(plan);
    }
    runHearingWarnings = this;
    previousMessageHandler = qInstallMessageHandler(hearMessage);

    window_ = std::make_unique<frmMain>(
        backend_, [](std::chrono::milliseconds) {},
        [this](QWidget&, const QString&, const QString&) { ++figures_.warningsShown; });
    // Yield at every step of a search, so that queued events run inside it; the soak ticks the
    // timer itself, so that a run does not depend on how fast the machine is.
    window_->setSearchYieldInterval(std::chrono::milliseconds(0));
    window_->findChild<QTimer*>(QStringLiteral("Timer"))->blockSignals(true);
    currentEvent_ = "start-up";
    window_->Form_Load();
}

SoakRun::~SoakRun() {
    window_.reset();
    qInstallMessageHandler(previousMessageHandler);
    runHearingWarnings = nullptr;
}

SoakRun::Event SoakRun::drawEvent() {
    return Event(random_.pickWeighted(std::span<const EventWeight>(kEvents)));
}

void SoakRun::step() {
    ++eventIndex_;
    run(drawEvent());
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    // The clocks' logs would grow without end; every report was checked on its way.
    for (const auto& clock : clocks_.clocks())
        clock->model().clearReceivedReports();
}

void SoakRun::run(Event event) {
    // Built in a fresh string: GCC 12 at -O3 warns falsely (-Wrestrict) when a C string is put
    // in front of or over an existing one.
    std::string label(1, '#');
    label += std::to_string(eventIndex_);
    label += ' ';
    label += kEvents[std::size_t(event)].name;
    currentEvent_ = std::move(label);
    ++figures_.events[std::string(kEvents[std::size_t(event)].name)];
    recentEvents_.push_back(currentEvent_);
    if (recentEvents_.size() > kRecentEventsKept)
        recentEvents_.pop_front();
    try {
        switch (event) {
            case Event::Tick:
                tick();
                break;
            case Event::PlugOrUnplug:
                plugOrUnplug();
                break;
            case Event::InjectFault:
                injectFault();
                break;
            case Event::ChangeStatus:
                changeStatus();
                break;
            case Event::PickSerialNumber:
                pickSerialNumber();
                break;
            case Event::Find:
                find();
                break;
            case Event::TypeIntoBox:
                typeIntoBox();
                break;
            case Event::ClickCommand:
                userClick(kCommandButtons[random_.below(kCommandButtons.size())]);
                break;
            case Event::CallHandlerDirectly:
                callHandlerDirectly();
                break;
            case Event::PickListEntry:
                pickListEntry();
                break;
            case Event::Page:
                userClick(random_.chance(0.5) ? "BtnNxt" : "BtnPrev");
                break;
            case Event::QueueThenFindOrUpdate:
                queueForNextYield();
                break;
        }
    } catch (const std::exception& error) {
        note(std::string("a handler threw: ") + error.what());
    } catch (...) {
        note("a handler threw");
    }
}

// Events that arrive while Find or Update runs: Find lets them in at its next yield.
void SoakRun::queueForNextYield() {
    for (std::size_t n = 1 + random_.below(3); n > 0; --n) {
        Event event = drawEvent();
        if (event == Event::Find || event == Event::QueueThenFindOrUpdate)
            event = Event::PlugOrUnplug;
        QMetaObject::invokeMethod(
            &queueContext_, [this, event] { run(event); }, Qt::QueuedConnection);
    }
    if (random_.chance(0.7))
        find();
    else
        userClick("SetFreq");
}

void SoakRun::tick() {
    window_->Timer_Timer();
}

void SoakRun::plugOrUnplug() {
    VirtualClock& clock = randomClock();
    if (clock.pluggedIn()) {
        clock.unplug();
        ++figures_.faults["unplug"];
    } else {
        clock.plugIn();
    }
}

void SoakRun::injectFault() {
    VirtualClock& clock = randomClock();
    static constexpr std::array<std::pair<VirtualFault, const char*>, 5> kFaults{
        {{VirtualFault::Open, "failed open"},
         {VirtualFault::SendFeature, "failed send"},
         {VirtualFault::GetFeature, "failed configuration read"},
         {VirtualFault::StringQuery, "failed string query"},
         {VirtualFault::ReadInput, "failed input read"}}};
    if (random_.chance(1.0 / 6)) {
        clock.shortenNextConfigurationReport(random_.below(30));
        ++figures_.faults["short configuration report"];
        return;
    }
    const auto& [fault, name] = kFaults[random_.below(kFaults.size())];
    clock.failNext(fault);
    ++figures_.faults[name];
}

void SoakRun::changeStatus() {
    randomClock().state().status = {std::uint8_t(random_.below(256)), random_.chance(0.5),
                                    random_.chance(0.5)};
}

// A pick of another entry raises the change; re-picking the shown one only the activation.
void SoakRun::pickSerialNumber() {
    auto* serNo = window_->findChild<QComboBox*>(QStringLiteral("SerNo"));
    if (!serNo->isEnabled() || serNo->count() == 0)
        return;
    const int index = int(random_.below(std::size_t(serNo->count())));
    if (index != serNo->currentIndex())
        serNo->setCurrentIndex(index);
    emit serNo->activated(index);
}

void SoakRun::find() {
    auto* out1 = window_->findChild<QLineEdit*>(QStringLiteral("Out1Freq"));
    if (out1->isEnabled() && random_.chance(0.7))
        out1->setText(QString::fromLatin1(kFindTexts[random_.below(kFindTexts.size())]));
    userClick("FindFreq");
}

void SoakRun::typeIntoBox() {
    const TypedBox& box = kTypedBoxes[random_.below(kTypedBoxes.size())];
    auto* edit = window_->findChild<QLineEdit*>(QString::fromLatin1(box.name));
    edit->setText(QString::fromStdString(random_.boxText(box.low, box.high)));
}

// Handlers also run from code, for instance inside a search's yield, whatever their controls'
// state: each must still keep to the gate.
void SoakRun::callHandlerDirectly() {
    using Handler = void (frmMain::*)();
    static constexpr std::array<Handler, 8> kHandlers = {
        &frmMain::SetFreq_Click, &frmMain::Sleep_cmd_Click, &frmMain::WriteRegister_Click,
        &frmMain::OUT1ID_Click,  &frmMain::OUT2ID_Click,    &frmMain::OUT1EN_Click,
        &frmMain::Enc1_Click,    &frmMain::Out1Freq_Change};
    (window_.get()->*kHandlers[random_.below(kHandlers.size())])();
}

void SoakRun::pickListEntry() {
    static constexpr std::array<const char*, 3> kLists = {"Enc1", "OUT2", "PhaseBox"};
    auto* list =
        window_->findChild<QComboBox*>(QString::fromLatin1(kLists[random_.below(kLists.size())]));
    if (list->isEnabled() && list->count() > 0)
        list->setCurrentIndex(int(random_.below(std::size_t(list->count()))));
}

VirtualClock& SoakRun::randomClock() {
    return *clocks_.clocks()[random_.below(clocks_.clocks().size())];
}

// As a person can: only a button that is shown and enabled.
void SoakRun::userClick(const char* name) {
    auto* button = window_->findChild<QAbstractButton*>(QString::fromLatin1(name));
    if (button->isVisibleTo(window_.get()) && button->isEnabled())
        button->click();
}

void SoakRun::watch(const FeatureTransfer& transfer) {
    if (transfer.direction == FeatureTransfer::Direction::Get)
        ++figures_.configurationReads;
    else if (transfer.bytes.size() > 1)
        ++figures_.commandsSent[transfer.bytes[1]];
    for (std::string& problem : transferProblems(transfer, *window_, locale_))
        note(std::move(problem));
}

void SoakRun::note(std::string problem) {
    if (figures_.problems.size() >= kProblemsKept)
        return;
    std::string context;
    for (const std::string& event : recentEvents_)
        context += "\n    after " + event;
    figures_.problems.push_back(currentEvent_ + ": " + problem + context);
}

void SoakRun::settle() {
    currentEvent_ = "settling";
    for (const auto& clock : clocks_.clocks()) {
        clock->plugIn();
        // Uses up every pending one-shot fault through a handle of the soak's own.
        auto handle = clocks_.open(clock->path()).device;
        if (!handle)
            handle = clocks_.open(clock->path()).device;
        std::vector<std::uint8_t> buffer(clock->description().featureReportLength, 0);
        for (int attempt = 0; attempt < 2; ++attempt) {
            std::fill(buffer.begin(), buffer.end(), 0);
            static_cast<void>(handle->getFeatureReport(buffer));
        }
        // The answers do not matter here: only that no call misbehaves.
        static_cast<void>(handle->sendFeatureReport({}));
        static_cast<void>(handle->manufacturer());
        static_cast<void>(handle->readNewestInputReport());
    }
    for (const auto& clock : clocks_.clocks())
        clock->unplug();
    window_->Timer_Timer();
    for (const auto& clock : clocks_.clocks())
        clock->plugIn();
    window_->Timer_Timer();  // reconnects and reads the configuration
    window_->Timer_Timer();  // reads the status
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void SoakRun::returnToStart() {
    for (std::size_t i = 0; i < kClockPlans.size(); ++i)
        clocks_.clocks()[i]->state() = initialState(kClockPlans[i]);
    settle();
    for (const char* typed : {"REG", "DATA"})
        window_->findChild<QLineEdit*>(QString::fromLatin1(typed))->clear();
    // The longest output-2 list there is, then a short one: the window's page store keeps the
    // room of its longest list, so it holds the same room at every return.
    for (const char* wanted : {"365", "10000000"}) {
        window_->findChild<QLineEdit*>(QStringLiteral("Out1Freq"))
            ->setText(QString::fromLatin1(wanted));
        userClick("FindFreq");
    }
    settle();
}

std::pair<WindowState, WindowState> SoakRun::compareWithFreshWindow() {
    VirtualClockBackend sameClocks;
    for (const auto& clock : clocks_.clocks())
        sameClocks.addClock(clock->description()).state() = clock->state();
    frmMain fresh(
        sameClocks, [](std::chrono::milliseconds) {},
        [](QWidget&, const QString&, const QString&) {});
    fresh.findChild<QTimer*>(QStringLiteral("Timer"))->blockSignals(true);
    fresh.Form_Load();
    fresh.Timer_Timer();
    QCoreApplication::processEvents();

    // What the user typed or the last search said, and the page buttons, which a configuration
    // read leaves as they were.
    WindowState soaked = describeWindow(*window_);
    WindowState started = describeWindow(fresh);
    for (const char* kept : {"Label13", "REG", "DATA", "BtnNxt", "BtnPrev"}) {
        soaked.erase(QString::fromLatin1(kept));
        started.erase(QString::fromLatin1(kept));
    }
    return {soaked, started};
}

namespace {

void hearMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (runHearingWarnings && message.startsWith(QLatin1String(frmMain::kHandlerFailedWarning)))
        runHearingWarnings->noteEscapedFailure(message.toStdString());
    if (previousMessageHandler)
        previousMessageHandler(type, context, message);
}

}  // namespace

}  // namespace tarnwell::soak
