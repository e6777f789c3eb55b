#pragma once

// The program's run over one command line: what the command files share.

#include <chrono>
#include <optional>
#include <ostream>
#include <string>

#include "CtlArguments.h"
#include "CtlCommand.h"
#include "PrometheusMetrics.h"
#include "SavedConfiguration.h"
#include "ToolJson.h"
#include "device/ClockExchange.h"
#include "device/InputReport.h"
#include "device/TimedDevice.h"
#include "device/UsbIds.h"
#include "planning/PllSettings.h"
#include "readback/ConfigReport.h"
#include "readback/ConfigurationRead.h"

namespace tarnwell::ctl {

// How often a status is looked for while waiting, and how long by default.
inline constexpr std::chrono::milliseconds kStatusPoll{50};
inline constexpr std::chrono::milliseconds kDefaultStatusTimeout{2000};

// A setting ready to send, with what the window would show for it.
struct Setting {
    PllSettings values;
    PllSettingsBytes bytes{};
    std::string out1Text;
    std::optional<std::string> out2Text;  // nothing when the window's output-2 list is empty
    std::string phaseText;
};

// A failure as the program reports it: the message on `err` (with `hint` after it), and with
// --json also the object {"error", "exit_status"} on `out`. Returns the status.
int reportFailure(std::ostream& out, std::ostream& err, bool json, int status,
                  const std::string& message, std::string_view hint = {});

class Run {
public:
    Run(const CtlArguments& args, const UsbIdList& ids, HidBackend& backend, const CtlTime& time,
        std::ostream& out, std::ostream& err)
        : args_(args),
          ids_(ids),
          backend_(backend),
          time_(time),
          out_(out),
          err_(err),
          deadline_(commandDeadline(args, time)) {}

    // Runs the parsed command through its entry in the command table.
    int execute() { return (this->*args_.command->execute)(); }

    // The commands, as the table names them.
    int list();
    int show();
    int status();
    int set();
    int program();
    int outputs();
    int identify();
    int drive();
    int sleep();
    int writeRegister();
    int apply();
    int diff();
    int udevRule();

private:
    int fail(int status, const std::string& message) {
        return reportFailure(out_, err_, args_.json, status, message);
    }
    void note(const std::string& message) { err_ << "tarnwell-ctl: " << message << '\n'; }
    // One JSON object on a line of its own, written out at once.
    void emit(const Json& document) { out_ << jsonText(document) << std::endl; }
    RequestPause pause() const { return time_.sleep; }

    // The serial of the clock to use, by the -s rules; an exit status when there is none.
    int resolveSerial();
    // Resolves and opens the clock into device_.
    int openClock();
    int readConfiguration(std::optional<DeviceConfiguration>& configuration, const char* step);
    int send(const ReportBuilder& build, const std::string& step);

    // Deadlines (CtlDeadlines.cpp). The end of --timeout, if given.
    static std::optional<std::chrono::steady_clock::time_point> commandDeadline(
        const CtlArguments& args, const CtlTime& time);
    // A step's own limit, or what is left of --timeout when that is less.
    std::chrono::milliseconds stepLimit(std::chrono::milliseconds own) const;
    // Puts the opened clock's requests on an I/O thread, each waited for up to its limit.
    void answerInTime();
    // Exit status 6 naming the request the clock left unanswered; 0 when there is none.
    int failIfUnanswered(const std::string& step);

    int sendSetting(const Setting& setting);
    int waitForStatus(std::chrono::milliseconds limit, bool needLock, InputStatus& last);
    int programAndCheck(const Setting& setting, Json document);
    void addSetting(Json& document, const Setting& setting) const;
    // The file of apply and diff, checked, with the clock resolved.
    int readSaved(std::optional<SavedConfiguration>& saved);
    std::vector<ClockMetrics> collectMetrics(std::chrono::milliseconds timeout);
    // status --prometheus and --textfile.
    int metrics(std::chrono::milliseconds timeout);
    // Exit status 3 when the clock of -s was not attached.
    int failIfAbsent(const std::vector<ClockMetrics>& clocks);
    void printSetting(const Setting& setting) const;

    const CtlArguments& args_;
    const UsbIdList& ids_;
    HidBackend& backend_;
    const CtlTime& time_;
    std::ostream& out_;
    std::ostream& err_;
    std::string serial_;
    OpenedClock clock_;
    std::optional<std::chrono::steady_clock::time_point> deadline_;
    std::chrono::milliseconds requestLimit_{};  // of the request waited for last
};

}  // namespace tarnwell::ctl
