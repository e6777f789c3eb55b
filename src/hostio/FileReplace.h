#pragma once

// Replacing a file whole, as a program running as root may: the text goes to a fresh file made
// under an unpredictable name in the target's folder (never through a link planted there), is
// forced to the disk, and is then renamed over the target, so a reader never sees half a file.

#include <string>
#include <string_view>

namespace tarnwell {

// False, with `error` naming the file and the reason, when the target exists and is not a
// regular file (a link, a device, a FIFO, a folder), or when the file could not be written.
bool replaceFile(const std::string& path, std::string_view text, std::string& error);

}  // namespace tarnwell
