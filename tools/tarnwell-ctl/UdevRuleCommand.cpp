// udev-rule: the rule that gives the clocks of the USB ids in force to the user at the seat.

#include "Commands.h"
#include "host/UdevRule.h"

namespace tarnwell::ctl {

int udevRuleCommand(CommandContext& c) {
    const std::string rule = tarnwell::udevRule(c.ids, c.options.group);
    Json ids = Json::array();
    for (const UsbId& id : c.ids)
        ids.push_back(usbIdText(id));
    c.writer.write({{"usb_ids", ids}, {"rule", rule}}, rule);
    return kExitDone;
}

}  // namespace tarnwell::ctl
