#include "DemoClocks.h"

#include <cstdint>
#include <string>
#include <utility>

#include "planning/PllSettings.h"

namespace tarnwell::demo {

namespace {

struct DemoClock {
    std::u16string serial;
    std::uint16_t releaseNumber;
    PllBoxValues pll;
    std::uint8_t driveIndex;
};

void addClock(VirtualClockBackend& backend, const DemoClock& described) {
    VirtualClockDescription description;
    description.serial = described.serial;
    description.manufacturer = u"Tarnwell Labs";
    description.product = u"Simulated GPS Clock";
    description.releaseNumber = described.releaseNumber;
    VirtualClock& clock = backend.addClock(std::move(description));
    clock.setInputReportMode(InputReportMode::Continuous);
    ClockState& state = clock.state();
    state.outputEnables = kOutput1EnabledBit | kOutput2EnabledBit;
    state.driveStrength = described.driveIndex;
    state.pllSettings = encodePllSettings(described.pll).bytes;
    state.status = {};
}

}  // namespace

void addDemoClocks(VirtualClockBackend& backend) {
    // What a search for 10 MHz and for 25 MHz programs, so each clock starts where the tool
    // itself would have left it.
    addClock(backend, {u"T5240342", 0x0112, {4687500, 5, 11, 512, 11, 48, 48, 0, 6}, 1});
    addClock(backend, {u"TW240117", 0x0203, {4687500, 5, 11, 480, 11, 18, 18, 0, 15}, 0});
}

}  // namespace tarnwell::demo
