#pragma once

// Reading a file a user names or a settings file: opened without blocking, read only when it is
// a regular file, and only up to a size that fits what it holds. A FIFO, a device or a directory
// in its place, a file too large, or one that cannot be opened is refused with the reason.

#include <cstddef>
#include <optional>
#include <string>

namespace tarnwell {

inline constexpr std::size_t kMebibyte = std::size_t{1} << 20;

struct FileRead {
    enum class Outcome { Read, Absent, Refused };
    Outcome outcome = Outcome::Absent;
    std::string text;    // the whole file, when read
    std::string reason;  // why it was refused: "Permission denied", "a FIFO, not a regular file"

    FileRead() = default;
    // A file's text, or no file: what a stand-in for the machine's files gives.
    FileRead(std::optional<std::string> contents);
    static FileRead refused(std::string reason);
    bool read() const { return outcome == Outcome::Read; }
};

// The file at `path`, if it is a regular file of at most `limit` bytes. A path that names
// nothing (or runs through something that is not a folder) is absent.
FileRead readRegularFile(const std::string& path, std::size_t limit);

// "1 MiB", "64 KiB", "100 bytes".
std::string sizeText(std::size_t bytes);

}  // namespace tarnwell
