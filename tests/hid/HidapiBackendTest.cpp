#include "hid/HidapiBackend.h"

#include <gtest/gtest.h>

#include <hidapi.h>

#include <atomic>
#include <future>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <utility>

#include "device/FeatureReport.h"
#include "hid/HidapiSession.h"
#include "hid/InputReportDrain.h"
#ifdef __linux__
#include "hid/HidrawDescriptor.h"
#include "hid/UdevMonitor.h"
#endif
#ifdef _WIN32
#include <windows.h>

#include "hid/WindowsHidCaps.h"
#endif

using namespace tarnwell;

namespace {

// hidapi 0.13 on Windows will not start without cfgmgr32's CM_Get_Device_Interface_PropertyW,
// which every Windows since 8 has and Wine 8 does not: there, and only there, the test is skipped.
bool underWineWithoutHidapiNeeds() {
#ifdef _WIN32
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (ntdll == nullptr || GetProcAddress(ntdll, "wine_get_version") == nullptr) {
        return false;
    }
    const HMODULE cfgmgr32 = LoadLibraryW(L"cfgmgr32.dll");
    const bool lacking = cfgmgr32 == nullptr ||
                         GetProcAddress(cfgmgr32, "CM_Get_Device_Interface_PropertyW") == nullptr;
    if (cfgmgr32 != nullptr) {
        FreeLibrary(cfgmgr32);
    }
    return lacking;
#else
    return false;
#endif
}

}  // namespace

// Runs on the machine's real HID stack, whatever is attached: the backend lists exactly what hidapi
// itself lists for the ids asked (each path once), for our clock's ids and for every device here.
TEST(HidapiBackend, ListsWhatHidapiListsAndOpensOnlyHidNodes) {
    if (underWineWithoutHidapiNeeds()) {
        GTEST_SKIP()
            << "hidapi cannot start here: this Wine lacks CM_Get_Device_Interface_PropertyW";
    }
    HidapiBackend backend;
    std::set<std::pair<std::uint16_t, std::uint16_t>> idsHere{{DeviceVendorId, DeviceProductId}};
    std::map<std::pair<std::uint16_t, std::uint16_t>, std::set<std::string>> pathsHere;
    hid_device_info* const all = hid_enumerate(0, 0);
    for (const hid_device_info* entry = all; entry != nullptr; entry = entry->next) {
        idsHere.insert({entry->vendor_id, entry->product_id});
        pathsHere[{entry->vendor_id, entry->product_id}].insert(entry->path);
    }
    hid_free_enumeration(all);
    const auto listedPaths = [&backend](std::pair<std::uint16_t, std::uint16_t> ids) {
        std::multiset<std::string> paths;
        for (const HidDeviceInfo& info : backend.enumerate(ids.first, ids.second)) {
            EXPECT_EQ(info.vendorId, ids.first) << info.path;
            EXPECT_EQ(info.productId, ids.second) << info.path;
            paths.insert(info.path);
        }
        return paths;
    };
    for (const auto& ids : idsHere) {
        const std::set<std::string>& expected = pathsHere[ids];
        EXPECT_EQ(listedPaths(ids), std::multiset<std::string>(expected.begin(), expected.end()))
            << std::hex << ids.first << ":" << ids.second;
    }

    EXPECT_FALSE(backend.open(""));
#ifdef __linux__
    EXPECT_EQ(backend.open("/dev/hidraw-that-does-not-exist").failure, OpenFailure::Gone);
    // A node anyone may open that is no HID device: refused, and not for a reason it is not.
    EXPECT_EQ(backend.open("/dev/null").failure, OpenFailure::Other);
#else
    EXPECT_FALSE(backend.open("/dev/hidraw-that-does-not-exist"));
#endif

    // A second backend shares the library session; the first still works after it is gone.
    { HidapiBackend other; }
    const std::pair<std::uint16_t, std::uint16_t> ours{DeviceVendorId, DeviceProductId};
    EXPECT_EQ(listedPaths(ours).size(), pathsHere[ours].size());
}

// hidapi frees its process-wide last error in every listing and open: the window or tarnwell-ctl
// listing clocks while a clock opens on a thread of its own freed it twice and crashed.
TEST(HidapiBackend, TwoThreadsMayListAndOpenAtOnce) {
    if (underWineWithoutHidapiNeeds())
        GTEST_SKIP() << "hidapi cannot start here";
    HidapiBackend backend;
    const auto churn = [&backend] {
        for (int i = 0; i < 500; ++i) {
            // Nothing has these ids, so hidapi sets its error each time.
            EXPECT_TRUE(backend.enumerate(0xdead, 0xbeef).empty());
            EXPECT_FALSE(backend.open("/dev/hidraw-that-does-not-exist"));
        }
    };
    std::thread other(churn);
    churn();
    other.join();
}

// The newest of the queued reports, with ID 0 put in front only where the device numbers none;
// an error fails the read; a device that never stops sending is read a bounded number of times.
TEST(InputReportDrain, GivesTheNewestReportOrTheFailure) {
    std::vector<std::vector<std::uint8_t>> queued = {{1, 2}, {3, 4, 5}};
    const auto fromQueue = [&queued](std::span<std::uint8_t> buffer) {
        if (queued.empty())
            return 0L;
        std::ranges::copy(queued.front(), buffer.begin());
        const long length = static_cast<long>(queued.front().size());
        queued.erase(queued.begin());
        return length;
    };
    using Bytes = std::vector<std::uint8_t>;
    EXPECT_EQ(drainNewestInputReport({.inputReportLength = 9}, fromQueue).report,
              (Bytes{0, 3, 4, 5}));
    queued = {{7, 8}};
    EXPECT_EQ(drainNewestInputReport({.usesReportIds = true}, fromQueue).report, (Bytes{7, 8}));
    EXPECT_EQ(drainNewestInputReport({}, [](auto) { return -1L; }).status, InputReadStatus::Error);
    int reads = 0;
    const auto flood = [&reads](auto) { return ++reads, 1L; };
    EXPECT_EQ(drainNewestInputReport({}, flood).status, InputReadStatus::Report);
    EXPECT_EQ(reads, 256);
}

#ifdef __linux__
// A clock's I/O thread may let go of the last session while the window's thread takes one: run
// under ThreadSanitizer, this shows any unguarded step.
TEST(HidapiSession, IsSharedAndSafeToTakeAndReleaseFromTwoThreads) {
    {
        const auto held = HidapiSession::acquire();
        ASSERT_TRUE(held);
        EXPECT_EQ(HidapiSession::acquire(), held);
    }
    // Each thread's session is often the last one, so sessions end and start on both.
    std::atomic<int> failures = 0;
    const auto churn = [&failures] {
        for (int i = 0; i < 2000; ++i) {
            if (!HidapiSession::acquire())
                ++failures;
        }
    };
    std::thread other(churn);
    churn();
    other.join();
    EXPECT_EQ(failures, 0);
}

TEST(HidrawDescriptor, RefusesWhatIsNoHidrawNode) {
    EXPECT_FALSE(readHidrawReportDescriptor("/dev/hidraw-that-does-not-exist"));
    EXPECT_FALSE(readHidrawReportDescriptor("/dev/null"));
}

// Without the daemon's socket nothing would ever be announced: the window must look for itself.
TEST(UdevMonitor, ListensOnlyWhileTheUdevDaemonRuns) {
    EXPECT_EQ(UdevMonitor::start("/run/udev-that-does-not-run/control"), nullptr);
    const auto listening = UdevMonitor::start("/");
    if (!listening)
        GTEST_SKIP() << "libudev cannot listen here";
    EXPECT_GE(listening->descriptor(), 0);
}
#endif

#ifdef _WIN32
TEST(WindowsHidCaps, RefusesWhatIsNoHidInterface) {
    EXPECT_FALSE(readWindowsReportLengths("\\\\?\\hid#that-does-not-exist"));
    EXPECT_FALSE(readWindowsReportLengths("NUL"));
}
#endif
