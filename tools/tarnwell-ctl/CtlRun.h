#pragma once

// The program's run over one command line: what the command files share.

#include <chrono>
#include <optional>
#include <ostream>
#include <string>

#include "CtlArguments.h"
#include "CtlCommand.h"
#include "Json.h"
#include "device/ClockExchange.h"
#include "device/InputReport.h"
#include "device/UsbIds.h"
#include "planning/PllSettings.h"
#include "readback/ConfigReport.h"
#include "readback/ConfigurationRead.h"

namespace tarnwell::ctl {

// A setting ready to send, with what the window would show for it.
struct Setting {
    PllSettings values;
    PllSettingsBytes bytes{};
    std::string out1Text;
    std::optional<std::string> out2Text;
    std::optional<std::string> phaseText;
};

class Run {
public:
    Run(const CtlArguments& args, const UsbIdList& ids, HidBackend& backend, const CtlTime& time,
        std::ostream& out, std::ostream& err)
        : args_(args), ids_(ids), backend_(backend), time_(time), out_(out), err_(err) {}

    int execute();

private:
    int fail(int status, const std::string& message) {
        err_ << "tarnwell-ctl: " << message << '\n';
        if (args_.json)
            out_ << Json::object().set("error", message).set("exitStatus", status).text() << '\n';
        return status;
    }
    void note(const std::string& message) { err_ << "tarnwell-ctl: " << message << '\n'; }
    void emit(const Json& document) { out_ << document.text() << '\n'; }
    RequestPause pause() const { return time_.sleep; }

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

    // The serial of the clock to use, by the -s rules; an exit status when there is none.
    int resolveSerial();
    // Resolves and opens the clock into device_.
    int openClock();
    int readConfiguration(std::optional<DeviceConfiguration>& configuration, const char* step);
    int send(const ReportBuilder& build, const std::string& step);
    int sendSetting(const Setting& setting);
    int waitForStatus(std::chrono::milliseconds limit, bool needLock, InputStatus& last);
    int programAndCheck(const Setting& setting, Json document,
                        std::optional<std::chrono::milliseconds> waitLock);
    void addSetting(Json& document, const Setting& setting) const;
    void printSetting(const Setting& setting) const;

    const CtlArguments& args_;
    const UsbIdList& ids_;
    HidBackend& backend_;
    const CtlTime& time_;
    std::ostream& out_;
    std::ostream& err_;
    std::string serial_;
    OpenedClock clock_;
};

}  // namespace tarnwell::ctl
