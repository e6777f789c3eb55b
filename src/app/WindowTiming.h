#pragma once

#include <chrono>

namespace tarnwell {

// Every interval and pause of the window, together.
namespace timing {

using std::chrono::milliseconds;

// Timer: the design interval, the faster look for the clock after a drop, and the slower pace
// once the clock reports.
inline constexpr milliseconds kDesignTimerInterval{50};
inline constexpr milliseconds kIntervalAfterDrop{250};
inline constexpr milliseconds kIntervalWhileReporting{500};

// The clock needs a moment before each identity or configuration request.
inline constexpr milliseconds kRequestPause{5};

// The longest the divider search keeps the window from its events.
inline constexpr milliseconds kSearchYieldInterval{10};

// At start-up, the longest wait for the window system to put the window on screen before the
// device work begins anyway.
inline constexpr milliseconds kExposeWait{500};

}  // namespace timing
}  // namespace tarnwell
