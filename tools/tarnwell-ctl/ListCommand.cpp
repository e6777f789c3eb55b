// list: every attached clock, and whether this user may open it.

#include "ClockListing.h"
#include "Commands.h"
#include "TerminalText.h"

namespace tarnwell::ctl {

int listCommand(CommandContext& c) {
    std::vector<ListedClock> clocks;
    if (const int status = c.check(listClocks(c.backend, c.ids, c.time, c.deadline, clocks)))
        return status;
    Json array = Json::array();
    std::string text;
    for (const ListedClock& clock : clocks) {
        const std::optional<std::string> serial = shown(clock.serial);
        const std::optional<std::string> manufacturer = shown(clock.identity.manufacturer);
        const std::optional<std::string> product = shown(clock.identity.product);
        const bool canOpen = !clock.refusal;
        // The window shows the firmware only with the manufacturer's string.
        const std::optional<std::string> firmware =
            manufacturer ? std::optional(firmwareText(clock.info.releaseNumber)) : std::nullopt;
        array.push_back({{"serial", jsonOrNull(serial)},
                         {"manufacturer", jsonOrNull(manufacturer)},
                         {"product", jsonOrNull(product)},
                         {"firmware", jsonOrNull(firmware)},
                         {"path", clock.info.path},
                         {"can_open", canOpen},
                         {"open_failure", canOpen ? Json(nullptr) : Json(clock.refusal->reason)},
                         {"fix", canOpen ? Json(nullptr) : Json(clock.refusal->fix)}});
        text += terminalText(serial.value_or("(serial unreadable)")) + '\n';
        if (canOpen) {
            text += "  manufacturer  " + terminalText(manufacturer.value_or("(unreadable)")) +
                    "\n  product       " + terminalText(product.value_or("(unreadable)")) +
                    "\n  firmware      " + firmware.value_or("(unknown)") + '\n';
        }
        text += "  path          " + terminalText(clock.info.path) + '\n';
        text += canOpen ? "  access        yes\n"
                        : "  access        no: " + clock.refusal->reason +
                              "; fix: " + clock.refusal->fix + '\n';
    }
    if (clocks.empty())
        text = "no clock attached\n";
    c.writer.write(Json{{"clocks", std::move(array)}}, text);
    return kExitDone;
}

}  // namespace tarnwell::ctl
