#pragma once

#include <chrono>
#include <memory>
#include <mutex>

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

// hidapi keeps its last error for the whole process and frees it again in hid_init, hid_exit,
// hid_enumerate and hid_open_path: two of those at once free it twice. Every call of them holds
// this. (A clock's open runs on a thread of its own while another thread lists the clocks.)
using HidapiStateLock = std::unique_lock<std::mutex>;
[[nodiscard]] HidapiStateLock lockHidapiProcessState();

struct HidDeviceCloser {
    void operator()(hid_device* device) const { hid_close(device); }
};
using HidHandle = std::unique_ptr<hid_device, HidDeviceCloser>;

}  // namespace tarnwell
