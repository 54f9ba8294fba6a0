// korvel-server: Data Matrix symbols over HTTP, a thin client of the korvel
// library. See README.md ("korvel as a service") and korvel-server --help.

#include <csignal>
#include <cstdio>

#include "access_log.hpp"
#include "api_routes.hpp"
#include "http_listener.hpp"
#include "server_settings.hpp"

int main(int argc, char** argv)
{
    // A client that goes away mid-answer is a failed write, not a reason to die.
    std::signal(SIGPIPE, SIG_IGN);
    korvel::server::ServerSettings settings;
    if (const auto status = korvel::server::readServerArguments(argc, argv, settings, stdout, stderr)) {
        return *status;
    }
    korvel::server::AccessLog log;
    if (settings.accessLog) {
        if (const korvel::Outcome opened = log.open(*settings.accessLog); !opened.ok()) {
            std::fprintf(stderr, "korvel-server %s\n%s\n", korvel::server::serverVersion(),
                         korvel::outcomeMessage(opened).c_str());
            return static_cast<int>(opened.code);
        }
    }
    korvel::server::ServiceConfig config;
    config.limits.maxDataBytes = settings.maxDataBytes;
    config.maxPixels = settings.maxPixels;
    config.corsOrigin = settings.corsOrigin;
    return korvel::server::runServer(settings, config, log, stdout);
}
