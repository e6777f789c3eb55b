#pragma once

// The program's run over one command line: what the command files share.

#include <chrono>
#include <optional>
#include <ostream>
#include <string>

#include "ClockSession.h"
#include "CtlArguments.h"
#include "CtlCommand.h"
#include "PrometheusMetrics.h"
#include "SavedConfiguration.h"
#include "ToolJson.h"
#include "device/ClockExchange.h"
#include "device/UsbIds.h"
#include "planning/PllSettings.h"
#include "readback/ConfigReport.h"
#include "readback/ConfigurationRead.h"
#include "readback/InputReport.h"

namespace tarnwell::ctl {

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
          deadline_(time),
          session_(backend, ids, time, deadline_) {
        deadline_.startFrom(args.duration("--timeout"));
    }

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

    int fail(const SessionFailure& failure) {
        return reportFailure(out_, err_, args_.json, failure.status, failure.message());
    }
    int check(const StepResult& step) { return step ? fail(*step) : kExitDone; }
    ClockSession::Note noteTaker() {
        return [this](const std::string& message) { note(message); };
    }
    // The clock session's steps, a failure reported as the program reports it.
    int resolveSerial() { return check(session_.find(args_.serial, noteTaker())); }
    int openClock() { return check(session_.open(args_.serial, noteTaker())); }
    int readConfiguration(std::optional<DeviceConfiguration>& configuration, const char* step) {
        return check(session_.readConfiguration(configuration, step));
    }
    int send(const ReportBuilder& build, const std::string& step) {
        return check(session_.send(build, step));
    }
    int waitForStatus(std::chrono::milliseconds limit, bool needLock, InputStatus& last) {
        return check(session_.waitForStatus(limit, needLock, last));
    }
    const std::string& serial() const { return session_.serial(); }

    int sendSetting(const Setting& setting);
    int programAndCheck(const Setting& setting, Json document);
    void addSetting(Json& document, const Setting& setting) const;
    // The file of apply and diff, checked, with the clock resolved.
    int readSaved(std::optional<SavedConfiguration>& saved);
    // status --prometheus and --textfile.
    int metrics();
    // Exit status 3 when the clock of -s was not attached.
    int failIfAbsent(const std::vector<ClockMetrics>& clocks);
    // Sleeps in short slices, so that an interruption ends the pause at once; false then.
    bool rest(std::chrono::milliseconds span);
    void printSetting(const Setting& setting) const;

    const CtlArguments& args_;
    const UsbIdList& ids_;
    HidBackend& backend_;
    const CtlTime& time_;
    std::ostream& out_;
    std::ostream& err_;
    CommandDeadline deadline_;
    ClockSession session_;
};

}  // namespace tarnwell::ctl
