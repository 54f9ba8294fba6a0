#include "support/server_process.hpp"

#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <thread>

#include <boost/asio/connect.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/read.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http/parser.hpp>
#include <boost/beast/http/read.hpp>
#include <boost/beast/http/string_body.hpp>
#include <boost/beast/http/write.hpp>

namespace korvel::testing {
namespace {

namespace net = boost::asio;
namespace http = boost::beast::http;
using tcp = net::ip::tcp;

std::string lowerCase(std::string text)
{
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

// A connected socket whose reads give up after `wait`.
tcp::socket connectTo(net::io_context& context, unsigned short port, std::chrono::milliseconds wait)
{
    tcp::socket socket(context);
    socket.connect(tcp::endpoint(net::ip::make_address("127.0.0.1"), port));
    timeval limit{static_cast<time_t>(wait.count() / 1000), static_cast<suseconds_t>((wait.count() % 1000) * 1000)};
    setsockopt(socket.native_handle(), SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    return socket;
}

// The first line the child writes on the pipe, waiting at most 20 s.
std::string readLine(int fd)
{
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (line.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        pollfd ready{fd, POLLIN, 0};
        if (poll(&ready, 1, 200) <= 0) {
            continue;
        }
        char c = 0;
        if (read(fd, &c, 1) != 1) {
            break;
        }
        line += c;
    }
    return line;
}

}  // namespace

#ifdef KORVEL_SERVER_BINARY
std::string serverProgram() { return KORVEL_SERVER_BINARY; }
#else
std::string serverProgram() { return {}; }
#endif

std::string HttpReply::header(const std::string& name) const
{
    const auto found = headers.find(lowerCase(name));
    return found == headers.end() ? std::string() : found->second;
}

ServerProcess::ServerProcess(const std::vector<std::string>& arguments)
{
    int pipeFds[2];
    if (serverProgram().empty() || pipe(pipeFds) != 0) {
        return;
    }
    std::vector<std::string> all{serverProgram(), "--listen=127.0.0.1:0"};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : all) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
        dup2(pipeFds[1], STDOUT_FILENO);
        close(pipeFds[0]);
        close(pipeFds[1]);
        signal(SIGPIPE, SIG_DFL);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(pipeFds[1]);
    announcement_ = readLine(pipeFds[0]);
    // Later output (an access log on standard output) goes nowhere.
    close(pipeFds[0]);
    const std::size_t colon = announcement_.rfind(':');
    if (pid_ > 0 && colon != std::string::npos) {
        port_ = static_cast<unsigned short>(std::stoul(announcement_.substr(colon + 1)));
    }
}

ServerProcess::~ServerProcess()
{
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

HttpReply ServerProcess::request(const std::string& method, const std::string& target,
                                 const std::map<std::string, std::string>& headers, const std::string& body,
                                 const std::string& contentType) const
{
    HttpReply reply;
    net::io_context context;
    boost::system::error_code error;
    tcp::socket socket = connectTo(context, port_, std::chrono::seconds(30));
    http::request<http::string_body> request{http::string_to_verb(method), target, 11};
    request.set(http::field::host, "127.0.0.1");
    for (const auto& [name, value] : headers) {
        request.set(name, value);
    }
    if (!contentType.empty()) {
        request.set(http::field::content_type, contentType);
    }
    request.body() = body;
    request.prepare_payload();
    http::write(socket, request, error);
    if (error) {
        return reply;
    }
    boost::beast::flat_buffer buffer;
    http::response_parser<http::string_body> parser;
    parser.body_limit(256U * 1024U * 1024U);
    parser.skip(request.method() == http::verb::head);
    http::read(socket, buffer, parser, error);
    if (error) {
        return reply;
    }
    const auto& response = parser.get();
    reply.status = response.result_int();
    for (const auto& field : response) {
        reply.headers[lowerCase(std::string(field.name_string()))] = std::string(field.value());
    }
    reply.body = response.body();
    return reply;
}

std::string ServerProcess::exchangeRaw(const std::string& bytes, std::chrono::milliseconds wait) const
{
    net::io_context context;
    tcp::socket socket = connectTo(context, port_, wait);
    boost::system::error_code error;
    net::write(socket, net::buffer(bytes), error);
    std::string received;
    char chunk[4096];
    while (true) {
        const std::size_t n = socket.read_some(net::buffer(chunk), error);
        if (error) {
            break;
        }
        received.append(chunk, n);
    }
    return received;
}

std::optional<int> ServerProcess::stop(int signalNumber, std::chrono::milliseconds limit)
{
    if (pid_ <= 0) {
        return std::nullopt;
    }
    kill(pid_, signalNumber);
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            port_ = 0;
            return WIFEXITED(status) ? std::optional(WEXITSTATUS(status)) : std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return std::nullopt;
}

}  // namespace korvel::testing
