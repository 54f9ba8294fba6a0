#pragma once
// The server's connections: Boost.Beast over one io_context that --threads
// threads run. Each connection reads one request at a time within the
// limits (header, target, body, time) and answers it through answer();
// too many connections at once are turned away at accept. SIGINT and
// SIGTERM stop accepting, close idle connections and let the requests in
// flight finish.

#include <cstdint>
#include <cstdio>

#include "access_log.hpp"
#include "api_routes.hpp"
#include "server_settings.hpp"

namespace korvel::server {

// The limits of one connection, derived from the settings.
struct ConnectionLimits {
    std::size_t targetBytes = 0;  // the request target (path and query)
    std::size_t headerBytes = 0;  // request line and header fields
    std::size_t bodyBytes = 0;
    unsigned timeoutSeconds = 10;
    std::size_t maxConnections = 0;
};

[[nodiscard]] ConnectionLimits connectionLimitsFor(const ServerSettings& settings);

// Listens, announces "korvel-server listening on http://HOST:PORT/" on
// `announce`, and serves until SIGINT or SIGTERM. Returns the status to end
// with: 0 after a signal, 1 when the address cannot be listened on (the
// reason on standard error).
[[nodiscard]] int runServer(const ServerSettings& settings, const ServiceConfig& config, AccessLog& log,
                            std::FILE* announce);

}  // namespace korvel::server
