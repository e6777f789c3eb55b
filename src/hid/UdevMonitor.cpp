#include "hid/UdevMonitor.h"

#include <libudev.h>
#include <unistd.h>

namespace tarnwell {

std::unique_ptr<UdevMonitor> UdevMonitor::start(const char* udevControl) {
    // libudev subscribes even then, and the socket stays silent.
    if (::access(udevControl, F_OK) != 0)
        return nullptr;
    udev* context = udev_new();
    if (context == nullptr)
        return nullptr;
    // "udev" rather than "kernel": its announcements come after the rules have run, so the
    // node's permissions are already the rule's.
    udev_monitor* monitor = udev_monitor_new_from_netlink(context, "udev");
    if (monitor == nullptr ||
        udev_monitor_filter_add_match_subsystem_devtype(monitor, "hidraw", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor) < 0 || udev_monitor_get_fd(monitor) < 0) {
        udev_monitor_unref(monitor);
        udev_unref(context);
        return nullptr;
    }
    return std::unique_ptr<UdevMonitor>(new UdevMonitor(context, monitor));
}

UdevMonitor::UdevMonitor(udev* context, udev_monitor* monitor)
    : context_(context), monitor_(monitor) {}

UdevMonitor::~UdevMonitor() {
    udev_monitor_unref(monitor_);
    udev_unref(context_);
}

int UdevMonitor::descriptor() const {
    return udev_monitor_get_fd(monitor_);
}

bool UdevMonitor::takeChanges() {
    bool changed = false;
    // The socket does not block, so this ends when nothing more is waiting.
    while (udev_device* device = udev_monitor_receive_device(monitor_)) {
        changed = true;
        udev_device_unref(device);
    }
    return changed;
}

}  // namespace tarnwell
