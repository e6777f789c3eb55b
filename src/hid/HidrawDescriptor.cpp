#include "hid/HidrawDescriptor.h"

#include <fcntl.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace tarnwell {

namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

}  // namespace

std::optional<std::vector<std::uint8_t>> readHidrawReportDescriptor(const std::string& path) {
    const FileDescriptor node(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (node.get() < 0) {
        return std::nullopt;
    }
    return readHidrawReportDescriptor(node.get());
}

std::optional<std::vector<std::uint8_t>> readHidrawReportDescriptor(int node) {
    int size = 0;
    if (::ioctl(node, HIDIOCGRDESCSIZE, &size) < 0 || size < 0 || size > HID_MAX_DESCRIPTOR_SIZE) {
        return std::nullopt;
    }
    hidraw_report_descriptor descriptor{};
    descriptor.size = static_cast<__u32>(size);
    if (::ioctl(node, HIDIOCGRDESC, &descriptor) < 0) {
        return std::nullopt;
    }
    return std::vector<std::uint8_t>(descriptor.value, descriptor.value + size);
}

}  // namespace tarnwell
