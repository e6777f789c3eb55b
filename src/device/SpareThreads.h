#pragma once

#include <functional>

namespace tarnwell {

// Runs each call on a thread of the process's own that takes one call at a time: an idle one, or
// a new one when all are busy (a call that blocks in the kernel holds its thread for as long).
// The threads never end. Under Wine, with a thread started and ended for every call, a new thread
// of mingw's at times vanished before it ran its first line, and the call it was given never ran;
// and a process that exits now meets no thread half way through its own end.
void runOnSpareThread(std::function<void()> call);

}  // namespace tarnwell
