#include "ControlServer.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tarnwell::uhidclock {
namespace {

constexpr std::size_t kLongestRequest = 64 * 1024;

bool sendAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t sent = ::send(fd, text.data(), text.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        if (sent <= 0) {
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

}  // namespace

std::unique_ptr<ControlServer> ControlServer::listen(const std::string& path, std::string& error) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) {
        error =
            "socket path must be 1 to " + std::to_string(sizeof address.sun_path - 1) + " bytes";
        return nullptr;
    }
    std::memcpy(address.sun_path, path.data(), path.size());

    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = std::string("socket: ") + std::strerror(errno);
        return nullptr;
    }
    ::unlink(path.c_str());  // a socket left behind by an earlier run that was killed
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 8) != 0) {
        error = path + ": " + std::strerror(errno);
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<ControlServer>(new ControlServer(fd, path));
}

ControlServer::~ControlServer() {
    for (const Client& client : clients_) {
        ::close(client.fd);
    }
    ::close(listenFd_);
    ::unlink(path_.c_str());
}

std::vector<int> ControlServer::fds() const {
    std::vector<int> fds{listenFd_};
    for (const Client& client : clients_) {
        fds.push_back(client.fd);
    }
    return fds;
}

void ControlServer::onReadable(int fd, const Handler& handler) {
    if (fd == listenFd_) {
        accept();
        return;
    }
    const auto client = std::find_if(clients_.begin(), clients_.end(),
                                     [fd](const Client& c) { return c.fd == fd; });
    if (client != clients_.end() && !serve(*client, handler)) {
        ::close(client->fd);
        clients_.erase(client);
    }
}

void ControlServer::accept() {
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd >= 0) {
        clients_.push_back({fd, {}});
    }
}

bool ControlServer::serve(Client& client, const Handler& handler) {
    char buffer[4096];
    const ssize_t got = ::recv(client.fd, buffer, sizeof buffer, MSG_DONTWAIT);
    if (got < 0) {
        return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    }
    if (got == 0) {
        return false;
    }
    client.pending.append(buffer, static_cast<std::size_t>(got));
    if (client.pending.size() > kLongestRequest) {
        return false;  // not a client of this protocol
    }
    std::size_t newline;
    while ((newline = client.pending.find('\n')) != std::string::npos) {
        const std::string line = client.pending.substr(0, newline);
        client.pending.erase(0, newline + 1);
        if (!sendAll(client.fd, handler(line))) {
            return false;
        }
    }
    return true;
}

}  // namespace tarnwell::uhidclock
