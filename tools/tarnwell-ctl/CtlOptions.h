#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "device/UsbIds.h"

namespace CLI {
class App;
}

namespace tarnwell::ctl {

// A number with the text it was given as, for a refusal that echoes the user's words.
struct GivenNumber {
    double value = 0;
    std::string text;
};

// Every option's value in its own type, checked when the line is parsed. A command reads those
// of its own options; the table says which they are.
struct CtlOptions {
    bool help = false;
    bool version = false;
    bool json = false;
    std::optional<std::string> serial;
    UsbIdList usbIds;  // --usb-id, in the order given
    std::optional<std::chrono::milliseconds> timeout;

    bool watch = false;
    bool prometheus = false;
    std::optional<std::string> textfile;
    std::optional<GivenNumber> out2Hz;        // set
    std::optional<GivenNumber> phaseDegrees;  // set
    bool nearest = false;
    bool closest = false;
    bool dryRun = false;
    std::optional<std::chrono::milliseconds> waitLock;
    // program: the range of the step index follows from NC1_LS, so the command checks it.
    std::optional<std::string> phaseStep;
    std::optional<int> bw;
    bool clamp = false;
    std::optional<bool> out1Enabled;  // outputs
    std::optional<bool> out2Enabled;  // outputs
    bool anySerial = false;
    std::optional<std::string> group;
};

// Why a value was refused. A value of the wrong form points to --help; a value of the right form
// that the command cannot take says all there is.
struct OptionRefusal {
    std::string message;
    bool pointsToHelp = true;
};

// Registers an option with the parser under `names`, its value bound to a member of CtlOptions.
using OptionBinding =
    std::function<void(CLI::App&, const std::string& names, CtlOptions&, OptionRefusal&)>;

// The kinds of value, each checked as the option's own refusal says.
namespace option {
// A command's flag refuses a value ("--dry-run=false"); a general one takes it, as it always has.
OptionBinding flag(bool CtlOptions::*target);
OptionBinding generalFlag(bool CtlOptions::*target);
OptionBinding text(std::optional<std::string> CtlOptions::*target);
// A user or group name (the POSIX portable set): it is placed into a file as it is.
OptionBinding portableName(std::optional<std::string> CtlOptions::*target);
OptionBinding seconds(std::optional<std::chrono::milliseconds> CtlOptions::*target);
// Above 0 Hz.
OptionBinding frequency(std::optional<GivenNumber> CtlOptions::*target);
OptionBinding degrees(std::optional<GivenNumber> CtlOptions::*target);
// A whole number from 0 to 255.
OptionBinding byteCode(std::optional<int> CtlOptions::*target);
OptionBinding onOff(std::optional<bool> CtlOptions::*target);
OptionBinding usbIds(UsbIdList CtlOptions::*target);
}  // namespace option

}  // namespace tarnwell::ctl
