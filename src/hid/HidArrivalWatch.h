#pragma once

#include <memory>

#include <windows.h>

namespace tarnwell {

// Hears Windows announce HID interfaces arriving and leaving, so nobody has to enumerate (which
// walks the whole HID class, slow on PCs with many HID devices) to notice a plug. The
// announcements come as WM_DEVICECHANGE to a message-only window of the thread that started the
// watch, and arrive while that thread runs its message loop (the window's Qt event loop).
class HidArrivalWatch {
public:
    // Nothing when Windows refuses the registration; callers then look for changes themselves.
    static std::unique_ptr<HidArrivalWatch> start();
    ~HidArrivalWatch();
    HidArrivalWatch(const HidArrivalWatch&) = delete;
    HidArrivalWatch& operator=(const HidArrivalWatch&) = delete;

    // Where the announcements are sent.
    HWND window() const { return window_; }
    // True when a HID interface arrived or left since the last call.
    bool takeChanges();

private:
    HidArrivalWatch() = default;
    static LRESULT CALLBACK receive(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    HDEVNOTIFY registration_ = nullptr;
    bool changed_ = false;
};

}  // namespace tarnwell
