#pragma once

// The steps that set, program and apply share: a setting's fields in the result, sending it as
// the window's Update does, and reading it back.

#include <chrono>
#include <optional>
#include <string>

#include "CommandContext.h"
#include "ToolJson.h"
#include "planning/PllSettings.h"

namespace tarnwell::ctl {

// A setting ready to send, with what the window would show for it.
struct Setting {
    PllSettings values;
    PllSettingsBytes bytes{};
    std::string out1Text;
    std::optional<std::string> out2Text;  // nothing when the window's output-2 list is empty
    std::string phaseText;
};

// The registers, phase and frequencies; the frequencies as exact fractions of the registers, not
// as the window's shortened readouts.
void addSetting(Json& document, const Setting& setting);
// "GPS=... BW=...\noutput 1 ... GHz\n"
std::string settingText(const Setting& setting);
// Command 4, twice, as the window's Update sends it.
int sendSetting(CommandContext& c, const Setting& setting);
// With --wait-lock, waits that long (no longer than --timeout leaves) for PLL lock and a GPS
// signal, and adds the status to the document; without it, does nothing.
int waitForLock(CommandContext& c, Json& document);
// Sends the setting, reads it back and compares every register, waits for lock with
// --wait-lock, and writes the result.
int programAndCheck(CommandContext& c, const Setting& setting, Json document);

}  // namespace tarnwell::ctl
