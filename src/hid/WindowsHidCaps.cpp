#include "hid/WindowsHidCaps.h"

#include <memory>
#include <vector>

// windows.h first, the HID headers need its types; they declare C functions without saying so
// to C++.
// clang-format off
#include <windows.h>
extern "C" {
#include <hidsdi.h>
#include <hidpi.h>
}
// clang-format on

namespace tarnwell {

namespace {

struct HandleClose {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using Handle = std::unique_ptr<void, HandleClose>;

struct PreparsedDataFree {
    void operator()(PHIDP_PREPARSED_DATA data) const { HidD_FreePreparsedData(data); }
};
using PreparsedData = std::unique_ptr<_HIDP_PREPARSED_DATA, PreparsedDataFree>;

// Whether any button or value of one report kind sits in a report with a nonzero ID.
bool kindUsesReportIds(HIDP_REPORT_TYPE kind, USHORT buttonCaps, USHORT valueCaps,
                       PHIDP_PREPARSED_DATA data) {
    if (buttonCaps > 0) {
        std::vector<HIDP_BUTTON_CAPS> caps(buttonCaps);
        USHORT count = buttonCaps;
        if (HidP_GetButtonCaps(kind, caps.data(), &count, data) == HIDP_STATUS_SUCCESS) {
            for (USHORT i = 0; i < count; ++i) {
                if (caps[i].ReportID != 0) {
                    return true;
                }
            }
        }
    }
    if (valueCaps > 0) {
        std::vector<HIDP_VALUE_CAPS> caps(valueCaps);
        USHORT count = valueCaps;
        if (HidP_GetValueCaps(kind, caps.data(), &count, data) == HIDP_STATUS_SUCCESS) {
            for (USHORT i = 0; i < count; ++i) {
                if (caps[i].ReportID != 0) {
                    return true;
                }
            }
        }
    }
    return false;
}

}  // namespace

std::optional<ReportLengths> readWindowsReportLengths(const std::string& path) {
    // No access rights are needed to ask for the capabilities; sharing keeps hidapi's own open
    // handles on the same interface working.
    HANDLE opened = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (opened == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    const Handle device(opened);
    PHIDP_PREPARSED_DATA raw = nullptr;
    if (!HidD_GetPreparsedData(device.get(), &raw)) {
        return std::nullopt;
    }
    const PreparsedData data(raw);
    HIDP_CAPS caps{};
    if (HidP_GetCaps(data.get(), &caps) != HIDP_STATUS_SUCCESS) {
        return std::nullopt;
    }
    return ReportLengths{
        .inputReportLength = caps.InputReportByteLength,
        .outputReportLength = caps.OutputReportByteLength,
        .featureReportLength = caps.FeatureReportByteLength,
        .usesReportIds = kindUsesReportIds(HidP_Input, caps.NumberInputButtonCaps,
                                           caps.NumberInputValueCaps, data.get()) ||
                         kindUsesReportIds(HidP_Output, caps.NumberOutputButtonCaps,
                                           caps.NumberOutputValueCaps, data.get()) ||
                         kindUsesReportIds(HidP_Feature, caps.NumberFeatureButtonCaps,
                                           caps.NumberFeatureValueCaps, data.get())};
}

}  // namespace tarnwell
