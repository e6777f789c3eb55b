#include "hid/HidapiSession.h"

namespace tarnwell {

std::shared_ptr<HidapiSession> HidapiSession::acquire() {
    // hid_init()/hid_exit() act on the whole process, so all backends share one session.
    static std::weak_ptr<HidapiSession> running;
    if (auto session = running.lock()) {
        return session;
    }
    if (hid_init() != 0) {
        return nullptr;
    }
    std::shared_ptr<HidapiSession> session(new HidapiSession);
    running = session;
    return session;
}

HidapiSession::~HidapiSession() {
    hid_exit();
}

}  // namespace tarnwell
