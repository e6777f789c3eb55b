#include "hid/HidapiSession.h"

#include <mutex>

namespace tarnwell {

namespace {

// hid_init()/hid_exit() act on the whole process, so all backends share one session. The last
// holder may let go on a clock's I/O thread while another thread takes a new one.
std::mutex processStateMutex;
std::weak_ptr<HidapiSession> running;
bool initialised = false;

}  // namespace

HidapiStateLock lockHidapiProcessState() {
    return HidapiStateLock(processStateMutex);
}

std::shared_ptr<HidapiSession> HidapiSession::acquire() {
    const auto lock = lockHidapiProcessState();
    if (auto session = running.lock())
        return session;
    // A session whose last holder has just let go may still be on its way out: it then leaves
    // hidapi running for this one.
    if (!initialised) {
        if (hid_init() != 0)
            return nullptr;
        initialised = true;
    }
    std::shared_ptr<HidapiSession> session(new HidapiSession);
    running = session;
    return session;
}

HidapiSession::~HidapiSession() {
    const auto lock = lockHidapiProcessState();
    if (initialised && running.expired()) {
        hid_exit();
        initialised = false;
    }
}

}  // namespace tarnwell
