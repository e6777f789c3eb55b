#include "OpenFailureText.h"

#include "host/UdevRule.h"

namespace tarnwell::ctl {

std::string failureText(OpenFailure failure) {
    switch (failure) {
        case OpenFailure::Gone:
            return "it was unplugged";
        case OpenFailure::PermissionDenied:
            return "permission denied";
        case OpenFailure::Busy:
            return "another program holds it";
        case OpenFailure::Other:
            break;
    }
    return "the system refused to open it";
}

std::string fixText(OpenFailure failure, [[maybe_unused]] const HidDeviceInfo& clock) {
    switch (failure) {
        case OpenFailure::PermissionDenied:
#ifdef _WIN32
            return "give this user access to the clock's device, then unplug and replug it";
#else
            return permissionAdvice(permissionFactsHere(thisPlatform()),
                                    UsbId{clock.vendorId, clock.productId});
#endif
        case OpenFailure::Busy:
            return "close the program that uses the clock";
        case OpenFailure::Gone:
            return "plug the clock in again";
        case OpenFailure::Other:
            break;
    }
    return "unplug and replug the clock";
}

}  // namespace tarnwell::ctl
