#pragma once

#include <memory>

struct udev;
struct udev_monitor;

namespace tarnwell {

// Hears udev announce hidraw nodes being added, removed or changed (a rule applied by
// "udevadm trigger" is a change), so nobody has to enumerate to notice a plug.
class UdevMonitor {
public:
    // Nothing when udev cannot be reached, or its daemon is not running (a container, a minimal
    // system): nobody would announce anything. Callers then look for changes themselves.
    // udevControl: the socket the daemon listens on while it runs.
    static std::unique_ptr<UdevMonitor> start(const char* udevControl = "/run/udev/control");
    ~UdevMonitor();
    UdevMonitor(const UdevMonitor&) = delete;
    UdevMonitor& operator=(const UdevMonitor&) = delete;

    // Readable while announcements are waiting.
    int descriptor() const;
    // Reads every waiting announcement; true when one was about a hidraw node.
    bool takeChanges();

private:
    UdevMonitor(udev* context, udev_monitor* monitor);
    udev* context_;
    udev_monitor* monitor_;
};

}  // namespace tarnwell
