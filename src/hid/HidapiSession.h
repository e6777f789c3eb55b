#pragma once

#include <memory>

#include <hidapi.h>

namespace tarnwell {

// hid_init() for as long as anyone holds the session: the backend and every device it opened
// share it, so hid_exit() runs only after the last handle is closed.
class HidapiSession {
public:
    // The running session, or a new one; nothing when hidapi cannot start.
    static std::shared_ptr<HidapiSession> acquire();
    ~HidapiSession();
    HidapiSession(const HidapiSession&) = delete;
    HidapiSession& operator=(const HidapiSession&) = delete;

private:
    HidapiSession() = default;
};

struct HidDeviceCloser {
    void operator()(hid_device* device) const { hid_close(device); }
};
using HidHandle = std::unique_ptr<hid_device, HidDeviceCloser>;

}  // namespace tarnwell
