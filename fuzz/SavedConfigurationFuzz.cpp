#include <algorithm>
#include <cmath>

#include "ClockStrings.h"
#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "FuzzTargets.h"
#include "SavedConfiguration.h"
#include "planning/DividerLimits.h"
#include "planning/PhaseList.h"

namespace tarnwell::fuzz {

namespace {

// A refusal quotes only the start of what it names, escaped: a few values' prefixes at most.
constexpr std::size_t kLongestRefusal = 1000;

bool printableLine(std::string_view text) {
    return std::ranges::none_of(text, [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
}

void checkSaved(const ctl::SavedConfiguration& saved) {
    const PllSettings& pll = saved.configuration.pll;
    const std::uint32_t dividers[] = {pll.gps,  pll.n31,   pll.n2hs, pll.n2ls,
                                      pll.n1hs, pll.nc1ls, pll.nc2ls};
    for (std::size_t i = 0; i < kPllBoxCount; ++i) {
        const DividerLimit& limit = kDividerLimits[i];
        require(dividers[i] >= limit.minimum && dividers[i] <= limit.maximum &&
                    (!limit.mustBeEven || dividers[i] % 2 == 0),
                "an accepted divider lies within its limits");
    }
    require(pll.phaseIndex < std::min<std::uint32_t>(pll.nc1ls, kMaxPhaseEntries),
            "an accepted phase step is one of NC1_LS's");
    require(saved.configuration.driveIndex >= 0 &&
                saved.configuration.driveIndex < static_cast<int>(ctl::kDriveTexts.size()),
            "an accepted drive strength is one of the clock's");
}

}  // namespace

// Any bytes as a file given to apply or diff: either every field is within its limits, or one
// refusal line, escaped and short, names what is wrong. Nesting and size stay within the
// reader's limits however deep or wide the input is.
int fuzzSavedConfiguration(const std::uint8_t* data, std::size_t size) {
    const ctl::SavedReading reading = ctl::readSavedConfiguration(asText(data, size), "file");
    require(reading.saved.has_value() == reading.refusal.empty(),
            "a file is either accepted or refused with a reason");
    require(reading.refusal.size() <= kLongestRefusal && printableLine(reading.refusal),
            "a refusal is one short line without control characters");
    if (reading.saved)
        checkSaved(*reading.saved);
    return 0;
}

}  // namespace tarnwell::fuzz
