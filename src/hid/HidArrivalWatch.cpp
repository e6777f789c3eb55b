#include "hid/HidArrivalWatch.h"

#include <utility>

// windows.h (through the header) first, the others need its types; hidsdi.h declares C
// functions without saying so to C++.
// clang-format off
#include <dbt.h>
extern "C" {
#include <hidsdi.h>
}
// clang-format on

namespace tarnwell {

namespace {

constexpr wchar_t kWindowClass[] = L"TarnwellHidArrivalWatch";

GUID hidInterfaceClass() {
    GUID hid;
    HidD_GetHidGuid(&hid);
    return hid;
}

// Whether a WM_DEVICECHANGE says that an interface of the HID class arrived or left.
bool announcesHidInterface(WPARAM event, LPARAM data) {
    if (event != DBT_DEVICEARRIVAL && event != DBT_DEVICEREMOVECOMPLETE)
        return false;
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
    if (header == nullptr || header->dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE)
        return false;
    const auto* announced = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(header);
    return IsEqualGUID(announced->dbcc_classguid, hidInterfaceClass());
}

bool registerWindowClass(HINSTANCE instance, WNDPROC procedure) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kWindowClass;
    return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

std::unique_ptr<HidArrivalWatch> HidArrivalWatch::start() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!registerWindowClass(instance, &HidArrivalWatch::receive))
        return nullptr;
    std::unique_ptr<HidArrivalWatch> watch(new HidArrivalWatch);
    watch->window_ = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     instance, nullptr);
    if (watch->window_ == nullptr)
        return nullptr;
    SetWindowLongPtrW(watch->window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(watch.get()));
    DEV_BROADCAST_DEVICEINTERFACE_W filter{};
    filter.dbcc_size = sizeof(filter);
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = hidInterfaceClass();
    watch->registration_ =
        RegisterDeviceNotificationW(watch->window_, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    if (watch->registration_ == nullptr)
        return nullptr;
    return watch;
}

HidArrivalWatch::~HidArrivalWatch() {
    if (registration_ != nullptr)
        UnregisterDeviceNotification(registration_);
    if (window_ != nullptr)
        DestroyWindow(window_);
}

bool HidArrivalWatch::takeChanges() {
    return std::exchange(changed_, false);
}

LRESULT CALLBACK HidArrivalWatch::receive(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DEVICECHANGE) {
        auto* watch = reinterpret_cast<HidArrivalWatch*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (watch != nullptr && announcesHidInterface(wParam, lParam))
            watch->changed_ = true;
        return TRUE;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace tarnwell
