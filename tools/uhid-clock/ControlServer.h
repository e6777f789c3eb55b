#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwell::uhidclock {

// A Unix stream socket that takes requests one line at a time and writes each reply back to the
// client that asked. It never blocks on a client that is slow to send.
class ControlServer {
public:
    using Handler = std::function<std::string(std::string_view line)>;

    // Nothing (and the reason in error) when the socket cannot be made at that path.
    static std::unique_ptr<ControlServer> listen(const std::string& path, std::string& error);
    ~ControlServer();
    ControlServer(const ControlServer&) = delete;
    ControlServer& operator=(const ControlServer&) = delete;

    // The listening socket and every connected client: wait until one of them is readable.
    std::vector<int> fds() const;
    // Accepts, or reads and answers the complete lines a client sent. Unknown fds are ignored.
    void onReadable(int fd, const Handler& handler);

private:
    struct Client {
        int fd;
        std::string pending;  // bytes received after the last complete line
    };

    ControlServer(int listenFd, std::string path) : listenFd_(listenFd), path_(std::move(path)) {}
    void accept();
    // False when the client has gone and must be dropped.
    bool serve(Client& client, const Handler& handler);

    int listenFd_;
    std::string path_;
    std::vector<Client> clients_;
};

}  // namespace tarnwell::uhidclock
