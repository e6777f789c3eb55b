#pragma once

#include <string>
#include <vector>

#include "ClockSession.h"
#include "ClockStrings.h"
#include "CtlOptions.h"
#include "ResultWriter.h"

namespace tarnwell::ctl {

// What a command works with: its arguments and options, the clocks through one session, the
// command's deadline, and where its result goes.
struct CommandContext {
    const std::vector<std::string>& arguments;
    const CtlOptions& options;
    const UsbIdList& ids;
    HidBackend& backend;
    const CtlTime& time;
    CommandDeadline& deadline;
    ClockSession& session;
    ResultWriter& writer;

    int fail(int status, const std::string& message) { return writer.fail(status, message); }
    int fail(const SessionFailure& failure) { return fail(failure.status, failure.message()); }
    // kExitDone for a step that went well, otherwise its failure reported.
    int check(const StepResult& step) { return step ? fail(*step) : kExitDone; }
    int resolveSerial() { return check(session.find(options.serial, noteTaker())); }
    int openClock() { return check(session.open(options.serial, noteTaker())); }
    // The clock's serial as printed.
    std::string serial() const { return utf8FromLatin1(session.serial()); }

private:
    ClockSession::Note noteTaker() {
        return [this](const std::string& message) { writer.note(message); };
    }
};

}  // namespace tarnwell::ctl
