#pragma once

#include <chrono>

#include "device/TimedDevice.h"

namespace tarnwell {

// Every interval and pause of the window, together.
namespace timing {

using std::chrono::milliseconds;

// Timer: the design interval, the faster look for the clock after a drop, and the slower pace
// once the clock reports.
inline constexpr milliseconds kDesignTimerInterval{50};
inline constexpr milliseconds kIntervalAfterDrop{250};
inline constexpr milliseconds kIntervalWhileReporting{500};

// The clock's own pause before each identity or configuration request (5 ms) belongs to the
// exchange that makes them: readback/ConfigurationRead.h.

// Enumerating, when the system announces clocks coming and going: a backstop for what nobody
// announces, such as a clock another program let go. Without announcements, the list is looked
// at every tick while no clock is open, and this often while one is: more would cost more than a
// new clock appearing a moment later is worth.
inline constexpr milliseconds kSafetyRescanInterval{3000};
inline constexpr milliseconds kRescanIntervalWhileOpen{1000};

// How long a clock request may go unanswered: the same as for the command-line programs.
using tarnwell::kClockAnswerTimeout;
// Most answers come within this, and are waited for in place; a later one is waited for while
// the window goes on with its events.
inline constexpr milliseconds kAnswerAwaitedInPlace{20};
// How often a wait looks at the window's time for its end.
inline constexpr milliseconds kAnswerCheckInterval{10};

// A status older than this no longer says anything about the clock.
inline constexpr milliseconds kStatusLifetime{5000};

// The longest the divider search keeps the window from its events.
inline constexpr milliseconds kSearchYieldInterval{10};

// At start-up, the longest wait for the window system to put the window on screen before the
// device work begins anyway.
inline constexpr milliseconds kExposeWait{500};

}  // namespace timing
}  // namespace tarnwell
