#include "hostio/RegularFile.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tarnwell {

namespace {

std::string tooLarge(std::size_t limit) {
    return "larger than " + sizeText(limit);
}

#ifndef _WIN32

std::string notRegular(mode_t mode) {
    const char* kind = S_ISDIR(mode)    ? "a directory"
                       : S_ISFIFO(mode) ? "a FIFO"
                       : S_ISCHR(mode)  ? "a character device"
                       : S_ISBLK(mode)  ? "a block device"
                       : S_ISSOCK(mode) ? "a socket"
                                        : "something";
    return std::string(kind) + ", not a regular file";
}

FileRead failedWith(int error) {
    if (error == ENOENT || error == ENOTDIR)
        return {};
    return FileRead::refused(std::strerror(error));
}

// Closes the descriptor however reading ends.
struct Descriptor {
    int fd;
    ~Descriptor() { ::close(fd); }
};

#endif

}  // namespace

FileRead::FileRead(std::optional<std::string> contents) {
    if (contents) {
        outcome = Outcome::Read;
        text = std::move(*contents);
    }
}

FileRead FileRead::refused(std::string reason) {
    FileRead result;
    result.outcome = Outcome::Refused;
    result.reason = std::move(reason);
    return result;
}

std::string sizeText(std::size_t bytes) {
    if (bytes >= kMebibyte && bytes % kMebibyte == 0)
        return std::to_string(bytes / kMebibyte) + " MiB";
    if (bytes >= 1024 && bytes % 1024 == 0)
        return std::to_string(bytes / 1024) + " KiB";
    return std::to_string(bytes) + " bytes";
}

#ifndef _WIN32

FileRead readRegularFile(const std::string& path, std::size_t limit) {
    // Looked at before opening: opening some devices alone does something (a tape rewinds).
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return failedWith(errno);
    if (!S_ISREG(status.st_mode))
        return FileRead::refused(notRegular(status.st_mode));
    // Without blocking, in case a FIFO took the file's place since.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return failedWith(errno);
    const Descriptor opened{fd};
    if (::fstat(fd, &status) != 0)
        return failedWith(errno);
    if (!S_ISREG(status.st_mode))
        return FileRead::refused(notRegular(status.st_mode));
    if (static_cast<std::size_t>(status.st_size) > limit)
        return FileRead::refused(tooLarge(limit));
    FileRead result;
    result.outcome = FileRead::Outcome::Read;
    std::array<char, 65536> chunk;
    for (;;) {
        const ssize_t got = ::read(fd, chunk.data(), chunk.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return FileRead::refused(std::strerror(errno));
        if (got == 0)
            break;
        // The file may grow while it is read.
        if (result.text.size() + static_cast<std::size_t>(got) > limit)
            return FileRead::refused(tooLarge(limit));
        result.text.append(chunk.data(), static_cast<std::size_t>(got));
    }
    return result;
}

#else

FileRead readRegularFile(const std::string& path, std::size_t limit) {
    namespace fs = std::filesystem;
    std::error_code failed;
    const fs::file_status status = fs::status(path, failed);
    if (status.type() == fs::file_type::not_found)
        return {};
    if (failed)
        return FileRead::refused(failed.message());
    if (status.type() == fs::file_type::directory)
        return FileRead::refused("a directory, not a regular file");
    if (status.type() != fs::file_type::regular)
        return FileRead::refused("not a regular file");
    if (fs::file_size(path, failed) > limit)
        return FileRead::refused(tooLarge(limit));
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return FileRead::refused(std::strerror(errno));
    FileRead result;
    result.outcome = FileRead::Outcome::Read;
    result.text.resize(limit + 1);
    file.read(result.text.data(), static_cast<std::streamsize>(limit + 1));
    if (file.bad())
        return FileRead::refused(std::strerror(errno));
    if (static_cast<std::size_t>(file.gcount()) > limit)
        return FileRead::refused(tooLarge(limit));
    result.text.resize(static_cast<std::size_t>(file.gcount()));
    return result;
}

#endif

}  // namespace tarnwell
