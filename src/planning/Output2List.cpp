#include "planning/Output2List.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

namespace tarnwell {

namespace {

// Converts a whole-number double to int within [low, high]; NaN goes to `low`.
int toIntWithin(double value, int low, int high) {
    if (!(value >= low))
        return low;
    if (value > high)
        return high;
    return static_cast<int>(value);
}

}  // namespace

int out2DividerForIndex(int index) {
    const std::int64_t divider = 2 * static_cast<std::int64_t>(index) + 2;
    return static_cast<int>(std::clamp<std::int64_t>(divider, INT_MIN, INT_MAX));
}

double out2Value(double out1Frequency, double nc1, int index) {
    return (nc1 * out1Frequency) / (2.0 * index + 2.0);
}

std::vector<std::string> out2Texts(double out1Frequency, double nc1, int first, int count,
                                   const NumberLocale& locale) {
    std::vector<std::string> texts;
    if (count <= 0)
        return texts;
    texts.reserve(static_cast<std::size_t>(count));
    const std::int64_t end = static_cast<std::int64_t>(first) + count;
    for (std::int64_t i = first; i < end && i <= INT_MAX; ++i)
        texts.push_back(formatNumber(out2Value(out1Frequency, nc1, static_cast<int>(i)), locale));
    return texts;
}

int out2ReadbackLastIndex(double nc2) {
    return toIntWithin(roundHalfEven(nc2 / 2 - 1), -1, kOut2UnpagedLastIndex);
}

int out2SelectionIndex(double nc2, int entryCount) {
    if (entryCount <= 0)
        return -1;
    const double position = nc2 / 2 - 1;
    if (position >= entryCount)
        return entryCount - 1;
    // A position just under the count can round up to it; the last entry is the nearest there is.
    return toIntWithin(roundHalfEven(position), 0, entryCount - 1);
}

int out2PageCount(int lastIndex) {
    if (lastIndex <= kOut2UnpagedLastIndex)
        return 1;
    return static_cast<int>(roundHalfEven(lastIndex / static_cast<double>(kOut2PageStride) + 0.5));
}

Out2PageRange out2PageRange(int page, int pageCount, int lastIndex) {
    if (page < 0 || page >= pageCount || lastIndex < 0)
        return {};
    std::int64_t first = static_cast<std::int64_t>(page) * kOut2PageStride;
    std::int64_t last = first + kOut2PageEntries - 1;
    // The last page starts one value early, so it repeats the two values before its own stride.
    if (page > 0 && page == pageCount - 1) {
        first -= 1;
        last = lastIndex;
    }
    last = std::min<std::int64_t>(last, lastIndex);
    if (first > last)
        return {};
    return {static_cast<int>(first), static_cast<int>(last - first + 1)};
}

int out2PageShowing(int valueIndex, int pageCount, int lastIndex) {
    if (valueIndex < 0 || valueIndex > lastIndex)
        return -1;
    // Only the page whose stride holds the value and its two neighbours can show it.
    const int around = valueIndex / kOut2PageStride;
    const int lowest = std::max(0, around - 1);
    const int highest = std::min(pageCount - 1, around + 1);
    for (int page = lowest; page <= highest; ++page) {
        const Out2PageRange range = out2PageRange(page, pageCount, lastIndex);
        if (range.count > 0 && valueIndex >= range.first && valueIndex - range.first < range.count)
            return page;
    }
    return -1;
}

}  // namespace tarnwell
