#include "hostio/FileReplace.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "hostio/SafeText.h"

namespace tarnwell {

namespace {

namespace fs = std::filesystem;

// Readable by a collector running as another user, as a file made under the usual umask is.
constexpr int kPermissions = 0644;

std::string failure(std::string_view what, const std::string& path, int error) {
    return std::string(what) + " " + printable(path, std::string::npos) + ": " +
           std::strerror(error);
}

std::string kindText(fs::file_type type) {
    switch (type) {
        case fs::file_type::symlink:
            return "a symbolic link";
        case fs::file_type::directory:
            return "a directory";
        case fs::file_type::fifo:
            return "a FIFO";
        case fs::file_type::character:
            return "a character device";
        case fs::file_type::block:
            return "a block device";
        case fs::file_type::socket:
            return "a socket";
        default:
            break;
    }
    return "something";
}

// A name in the target's folder that nothing else uses, hidden from collectors that skip
// dot files: ".NAME.XXXXXX".
std::string temporaryPattern(const std::string& path) {
    const fs::path target(path);
    // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) about "." + string + "...".
    std::string name = ".";
    name += target.filename().string();
    name += ".XXXXXX";
    return (target.parent_path() / name).string();
}

#ifdef _WIN32

int createTemporary(std::string& name) {
    std::random_device random;
    const std::string pattern = temporaryPattern(name);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = pattern.substr(0, pattern.size() - 6);
        for (int i = 0; i < 6; ++i)
            candidate += "abcdefghijklmnopqrstuvwxyz0123456789"[random() % 36];
        const int fd = ::_open(candidate.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY,
                               _S_IREAD | _S_IWRITE);
        if (fd >= 0 || errno != EEXIST) {
            name = candidate;
            return fd;
        }
    }
    return -1;
}

int syncToDisk(int fd) {
    return ::_commit(fd);
}

bool renameOver(const std::string& from, const std::string& to) {
    std::error_code failed;
    fs::rename(from, to, failed);
    if (failed)
        errno = failed.value();
    return !failed;
}

#else

int createTemporary(std::string& name) {
    std::vector<char> pattern;
    const std::string text = temporaryPattern(name);
    pattern.assign(text.begin(), text.end());
    pattern.push_back('\0');
    // O_CREAT | O_EXCL: a link planted under the name makes it fail instead of being followed.
    const int fd = ::mkstemp(pattern.data());
    name = pattern.data();
    if (fd >= 0 && ::fchmod(fd, kPermissions) != 0) {
        ::close(fd);
        ::unlink(name.c_str());
        return -1;
    }
    return fd;
}

int syncToDisk(int fd) {
    return ::fsync(fd);
}

bool renameOver(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0;
}

// The rename itself survives a power cut only once the folder is on the disk too.
void syncFolder(const std::string& path) {
    const fs::path folder = fs::path(path).parent_path();
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

#endif

bool writeAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const auto written = ::write(fd, text.data(), static_cast<unsigned>(text.size()));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

bool replaceFile(const std::string& path, std::string_view text, std::string& error) {
    std::error_code failed;
    const fs::file_type existing = fs::symlink_status(path, failed).type();
    if (existing != fs::file_type::not_found && existing != fs::file_type::none &&
        existing != fs::file_type::regular) {
        error = "will not replace " + printable(path, std::string::npos) + ": it is " +
                kindText(existing) + ", not a regular file";
        return false;
    }
    std::string temporary = path;
    const int fd = createTemporary(temporary);
    if (fd < 0) {
        error = failure("cannot create a temporary file beside", path, errno);
        return false;
    }
    const bool written = writeAll(fd, text) && syncToDisk(fd) == 0;
    const int writeError = errno;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed) {
        error = failure("cannot write", temporary, written ? errno : writeError);
        ::unlink(temporary.c_str());
        return false;
    }
    if (!renameOver(temporary, path)) {
        error = failure("cannot rename " + printable(temporary, std::string::npos) + " to", path,
                        errno);
        ::unlink(temporary.c_str());
        return false;
    }
#ifndef _WIN32
    syncFolder(path);
#endif
    return true;
}

}  // namespace tarnwell
