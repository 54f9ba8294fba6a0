#pragma once
// The built korvel-server run by a test: started on a free loopback port
// (--listen=127.0.0.1:0, the port read from its announcement), asked over
// HTTP with Boost.Beast's client, and stopped by a signal.

#include <sys/types.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace korvel::testing {

// The built korvel-server (empty when it is not built).
[[nodiscard]] std::string serverProgram();

struct HttpReply {
    unsigned status = 0;  // 0: no answer (the connection ended without one)
    std::map<std::string, std::string> headers;  // names in lower case
    std::string body;

    [[nodiscard]] std::string header(const std::string& name) const;
};

class ServerProcess {
public:
    // Starts the server with --listen=127.0.0.1:0 and `arguments`, and waits
    // (at most 20 s) for its announcement.
    explicit ServerProcess(const std::vector<std::string>& arguments = {});
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    [[nodiscard]] bool running() const noexcept { return port_ != 0; }
    [[nodiscard]] unsigned short port() const noexcept { return port_; }

    // One request on a connection of its own; the body is sent with
    // Content-Type `contentType` when not empty.
    [[nodiscard]] HttpReply request(const std::string& method, const std::string& target,
                                    const std::map<std::string, std::string>& headers = {},
                                    const std::string& body = {}, const std::string& contentType = {}) const;
    [[nodiscard]] HttpReply get(const std::string& target,
                                const std::map<std::string, std::string>& headers = {}) const
    {
        return request("GET", target, headers);
    }

    // Sends the bytes as they are, then reads whatever comes back until the
    // server closes the connection or `wait` has passed.
    [[nodiscard]] std::string exchangeRaw(const std::string& bytes,
                                          std::chrono::milliseconds wait = std::chrono::milliseconds(5000)) const;

    // Sends a signal and waits (at most `limit`) for the process to end: its
    // exit status, or nothing when it did not exit by itself in time.
    [[nodiscard]] std::optional<int> stop(int signal, std::chrono::milliseconds limit = std::chrono::seconds(20));

    [[nodiscard]] const std::string& announcement() const noexcept { return announcement_; }

private:
    pid_t pid_ = -1;
    unsigned short port_ = 0;
    std::string announcement_;
};

}  // namespace korvel::testing
