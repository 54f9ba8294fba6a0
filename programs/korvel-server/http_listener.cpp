#include "http_listener.hpp"

#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <thread>
#include <unordered_set>
#include <utility>
#include <vector>

#include <boost/asio/dispatch.hpp>
#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/signal_set.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core/bind_handler.hpp>
#include <boost/beast/core/error.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/http/empty_body.hpp>
#include <boost/beast/http/error.hpp>
#include <boost/beast/http/parser.hpp>
#include <boost/beast/http/read.hpp>
#include <boost/beast/http/write.hpp>

namespace korvel::server {
namespace {

namespace beast = boost::beast;
namespace http = beast::http;
namespace net = boost::asio;
using tcp = net::ip::tcp;
using Clock = std::chrono::steady_clock;

class Session;

// What every connection shares: the configuration, the limits, the log, and
// the register of open connections that a stop goes through.
struct SharedState {
    SharedState(const ServiceConfig& c, const ConnectionLimits& l, AccessLog& a) : config(c), limits(l), log(a) {}

    const ServiceConfig& config;
    ConnectionLimits limits;
    AccessLog& log;
    std::atomic<bool> stopping{false};
    std::mutex mutex;
    std::unordered_set<Session*> sessions;
    std::function<void()> lastSessionGone;  // set when stopping
};

class Session : public std::enable_shared_from_this<Session> {
public:
    Session(tcp::socket&& socket, SharedState& state) : stream_(std::move(socket)), state_(state)
    {
        boost::system::error_code error;
        const tcp::endpoint peer = stream_.socket().remote_endpoint(error);
        client_ = error ? "-" : peer.address().to_string();
        stream_.socket().set_option(tcp::no_delay(true), error);
        const std::lock_guard lock(state_.mutex);
        state_.sessions.insert(this);
    }

    ~Session()
    {
        std::function<void()> lastGone;
        {
            const std::lock_guard lock(state_.mutex);
            state_.sessions.erase(this);
            if (state_.sessions.empty() && state_.stopping) {
                lastGone = state_.lastSessionGone;
            }
        }
        if (lastGone) {
            lastGone();
        }
    }

    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    void start()
    {
        net::dispatch(stream_.get_executor(), beast::bind_front_handler(&Session::readHeader, shared_from_this()));
    }

    // On the connection's strand: a connection that waits for a request is
    // closed; one that is busy closes after its answer.
    void stopIfIdle()
    {
        if (waitingForRequest_) {
            boost::system::error_code ignored;
            stream_.socket().shutdown(tcp::socket::shutdown_both, ignored);
            stream_.socket().close(ignored);
        }
    }

    [[nodiscard]] auto executor() { return stream_.get_executor(); }

private:
    void readHeader()
    {
        if (state_.stopping) {
            return close();
        }
        parser_.emplace();
        parser_->header_limit(static_cast<std::uint32_t>(state_.limits.headerBytes));
        parser_->body_limit(state_.limits.bodyBytes);
        waitingForRequest_ = true;
        // The whole request, header and body, must arrive within the timeout;
        // an idle connection is closed after it too.
        stream_.expires_after(std::chrono::seconds(state_.limits.timeoutSeconds));
        http::async_read_header(stream_, buffer_, *parser_,
                                beast::bind_front_handler(&Session::onHeader, shared_from_this()));
    }

    void onHeader(beast::error_code error, std::size_t)
    {
        waitingForRequest_ = false;
        if (state_.log.enabled()) {
            started_ = Clock::now();
        }
        if (error) {
            return onReadError(error);
        }
        const auto& request = parser_->get();
        if (state_.log.enabled()) {
            requestLine_ = std::string(request.method_string()) + " " + std::string(request.target()) + " HTTP/" +
                           std::to_string(request.version() / 10) + "." + std::to_string(request.version() % 10);
        }
        if (request.target().size() > state_.limits.targetBytes) {
            return refuse(414, "Error: The request target is longer than " +
                                   std::to_string(state_.limits.targetBytes) + " bytes; POST long data as JSON.");
        }
        if (parser_->is_done()) {
            return handle();
        }
        const auto expect = request.find(http::field::expect);
        if (expect != request.end() && beast::iequals(expect->value(), "100-continue")) {
            continue_.emplace(http::status::continue_, request.version());
            return http::async_write(stream_, *continue_,
                                     beast::bind_front_handler(&Session::onContinue, shared_from_this()));
        }
        readBody();
    }

    void onContinue(beast::error_code error, std::size_t)
    {
        if (error) {
            return close();
        }
        readBody();
    }

    void readBody()
    {
        http::async_read(stream_, buffer_, *parser_, beast::bind_front_handler(&Session::onBody, shared_from_this()));
    }

    void onBody(beast::error_code error, std::size_t)
    {
        if (error) {
            return onReadError(error);
        }
        handle();
    }

    // A request that did not arrive whole: answered with its class of
    // error when the client is still there, else the connection just ends.
    void onReadError(beast::error_code error)
    {
        const bool parseError = &error.category() == &http::make_error_code(http::error::bad_target).category();
        if (!parseError || error == http::error::end_of_stream || error == http::error::partial_message) {
            return close();
        }
        if (error == http::error::header_limit || error == http::error::buffer_overflow) {
            return refuse(firstLineTooLong() ? 414 : 431,
                          "Error: The request header is larger than " + std::to_string(state_.limits.headerBytes) +
                              " bytes.");
        }
        if (error == http::error::body_limit) {
            return refuse(413, "Error: The request body is larger than " + std::to_string(state_.limits.bodyBytes) +
                                   " bytes.");
        }
        refuse(400, "Error: Malformed request: " + error.message() + ".");
    }

    // Whether the request line alone ran past the header's limit: the
    // parser keeps the target once the request line is whole.
    [[nodiscard]] bool firstLineTooLong() const { return parser_->get().target().empty(); }

    void handle()
    {
        HttpResponse response;
        try {
            response = answer(parser_->get(), state_.config);
        } catch (const std::bad_alloc&) {
            response = refusedRequest(503, "Error: Unknown exception.", state_.config);
        } catch (const std::exception&) {
            response = refusedRequest(500, "Error: Fail.", state_.config);
        }
        const bool closeAfter = !response.keep_alive() || state_.stopping;
        respond(std::move(response), closeAfter);
    }

    void refuse(unsigned status, const std::string& message)
    {
        if (requestLine_.empty()) {
            requestLine_ = "-";
        }
        refused_ = true;
        respond(refusedRequest(status, message, state_.config), true);
    }

    void respond(HttpResponse&& response, bool closeAfter)
    {
        if (closeAfter) {
            response.keep_alive(false);
        }
        response_ = std::move(response);
        stream_.expires_after(std::chrono::seconds(state_.limits.timeoutSeconds));
        http::async_write(stream_, *response_,
                          beast::bind_front_handler(&Session::onWrite, shared_from_this(), closeAfter));
    }

    void onWrite(bool closeAfter, beast::error_code error, std::size_t)
    {
        const bool refused = refused_;
        refused_ = false;
        if (state_.log.enabled()) {
            const auto taken = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - started_);
            state_.log.write(client_, requestLine_, response_->result_int(), response_->body().size(), taken);
        }
        requestLine_.clear();
        response_.reset();
        if (!error && refused) {
            return drainAndClose();
        }
        if (error || closeAfter) {
            return close();
        }
        readHeader();
    }

    // After refusing a request whose bytes may still be arriving: the
    // answer is sent, then what the client still sends is read and dropped
    // for a moment, so that closing does not reset the connection before
    // the client has read the answer.
    void drainAndClose()
    {
        boost::system::error_code ignored;
        stream_.socket().shutdown(tcp::socket::shutdown_send, ignored);
        stream_.expires_after(std::chrono::seconds(1));
        discard_.resize(4096);
        stream_.async_read_some(net::buffer(discard_), [self = shared_from_this()](beast::error_code error,
                                                                                   std::size_t) {
            if (error) {
                return self->close();
            }
            self->drainAndClose();
        });
    }

    void close()
    {
        boost::system::error_code ignored;
        stream_.socket().shutdown(tcp::socket::shutdown_send, ignored);
        stream_.socket().close(ignored);
    }

    beast::tcp_stream stream_;
    beast::flat_buffer buffer_;
    SharedState& state_;
    std::optional<http::request_parser<http::string_body>> parser_;
    std::optional<http::response<http::empty_body>> continue_;
    std::optional<HttpResponse> response_;
    std::string client_;
    std::string requestLine_;
    std::vector<char> discard_;
    Clock::time_point started_;
    bool waitingForRequest_ = false;
    bool refused_ = false;  // the answer refuses a request that may still be arriving
};

// Accepts connections until stopped, each onto the next of the threads'
// contexts in turn; beyond the connection limit a new connection gets a 503
// and is closed at once.
class Listener : public std::enable_shared_from_this<Listener> {
public:
    Listener(std::vector<std::unique_ptr<net::io_context>>& contexts, SharedState& state)
        : contexts_(contexts), acceptor_(*contexts.front()), retry_(acceptor_.get_executor()), state_(state)
    {
    }

    [[nodiscard]] beast::error_code listen(const tcp::endpoint& endpoint)
    {
        beast::error_code error;
        acceptor_.open(endpoint.protocol(), error);
        if (!error) {
            acceptor_.set_option(net::socket_base::reuse_address(true), error);
        }
        if (!error) {
            acceptor_.bind(endpoint, error);
        }
        if (!error) {
            acceptor_.listen(net::socket_base::max_listen_connections, error);
        }
        return error;
    }

    [[nodiscard]] tcp::endpoint localEndpoint() const { return acceptor_.local_endpoint(); }

    void accept()
    {
        net::io_context& next = *contexts_[nextContext_];
        nextContext_ = (nextContext_ + 1) % contexts_.size();
        acceptor_.async_accept(next, beast::bind_front_handler(&Listener::onAccept, shared_from_this()));
    }

    void stop()
    {
        net::post(acceptor_.get_executor(), [self = shared_from_this()] {
            boost::system::error_code ignored;
            self->acceptor_.close(ignored);
            self->retry_.cancel();
        });
    }

private:
    void onAccept(beast::error_code error, tcp::socket socket)
    {
        if (!acceptor_.is_open() || state_.stopping) {
            return;
        }
        if (error) {
            // Out of descriptors or memory for a moment: try again shortly
            // instead of spinning.
            retry_.expires_after(std::chrono::milliseconds(50));
            retry_.async_wait([self = shared_from_this()](beast::error_code waited) {
                if (!waited) {
                    self->accept();
                }
            });
            return;
        }
        if (connectionCount() >= state_.limits.maxConnections) {
            turnAway(socket);
        } else {
            std::make_shared<Session>(std::move(socket), state_)->start();
        }
        accept();
    }

    std::size_t connectionCount()
    {
        const std::lock_guard lock(state_.mutex);
        return state_.sessions.size();
    }

    static void turnAway(tcp::socket& socket)
    {
        static const std::string kBusy =
            "HTTP/1.1 503 Service Unavailable\r\nContent-Type: application/json\r\nContent-Length: 72\r\n"
            "Connection: close\r\nRetry-After: 1\r\n\r\n"
            "{\"status\":503,\"message\":\"Error: Too many connections; try again later.\"}";
        boost::system::error_code ignored;
        socket.non_blocking(true, ignored);
        socket.write_some(net::buffer(kBusy), ignored);
        socket.shutdown(tcp::socket::shutdown_both, ignored);
        socket.close(ignored);
    }

    std::vector<std::unique_ptr<net::io_context>>& contexts_;
    std::size_t nextContext_ = 0;
    tcp::acceptor acceptor_;
    net::steady_timer retry_;
    SharedState& state_;
};

// Stops accepting, closes idle connections, and ends the run once the last
// connection is gone or the timeout has passed.
void beginStop(std::vector<std::unique_ptr<net::io_context>>& contexts, Listener& listener, SharedState& state,
               net::steady_timer& deadline)
{
    deadline.expires_after(std::chrono::seconds(state.limits.timeoutSeconds + 1));
    deadline.async_wait([&contexts](beast::error_code error) {
        if (!error) {
            for (const auto& context : contexts) {
                context->stop();  // requests that did not finish in time
            }
        }
    });
    std::vector<std::shared_ptr<Session>> open;
    {
        const std::lock_guard lock(state.mutex);
        state.stopping = true;
        state.lastSessionGone = [&deadline] { net::post(deadline.get_executor(), [&deadline] { deadline.cancel(); }); };
        for (Session* session : state.sessions) {
            if (auto alive = session->weak_from_this().lock()) {
                open.push_back(std::move(alive));
            }
        }
        if (state.sessions.empty()) {
            deadline.cancel();
        }
    }
    listener.stop();
    for (const auto& session : open) {
        net::post(session->executor(), [session] { session->stopIfIdle(); });
    }
}

// Lets the process hold as many descriptors as its hard limit allows.
std::size_t raiseDescriptorLimit()
{
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0) {
        return 1024;
    }
    if (limit.rlim_cur < limit.rlim_max) {
        rlimit raised = limit;
        raised.rlim_cur = std::min<rlim_t>(limit.rlim_max, 1048576);
        if (setrlimit(RLIMIT_NOFILE, &raised) == 0) {
            limit = raised;
        }
    }
    return static_cast<std::size_t>(limit.rlim_cur);
}

}  // namespace

ConnectionLimits connectionLimitsFor(const ServerSettings& settings)
{
    ConnectionLimits limits;
    // Every byte of data may be percent-encoded (3 bytes) in the query, and
    // escaped in a JSON string (6 bytes, \u00XX); the rest of the parameters
    // fit in 4 KiB.
    limits.targetBytes = 3 * settings.maxDataBytes + 4096;
    limits.headerBytes = limits.targetBytes + 16384;
    limits.bodyBytes = 6 * settings.maxDataBytes + 4096;
    limits.timeoutSeconds = settings.timeoutSeconds;
    return limits;
}

int runServer(const ServerSettings& settings, const ServiceConfig& config, AccessLog& log, std::FILE* announce)
{
    SharedState state(config, connectionLimitsFor(settings), log);
    const std::size_t descriptors = raiseDescriptorLimit();
    state.limits.maxConnections = std::min<std::size_t>(10000, descriptors > 128 ? descriptors - 64 : 64);

    // One context per thread, each run by its thread alone: a connection
    // stays on one thread from accept to close, so that its requests need
    // no strand, no lock and no hand-off between threads.
    std::vector<std::unique_ptr<net::io_context>> contexts;
    for (unsigned i = 0; i < settings.threads; ++i) {
        contexts.push_back(std::make_unique<net::io_context>(1));
    }
    net::io_context& context = *contexts.front();
    auto listener = std::make_shared<Listener>(contexts, state);
    const tcp::endpoint endpoint(net::ip::make_address(settings.host), settings.port);
    if (const beast::error_code error = listener->listen(endpoint)) {
        std::fprintf(stderr, "korvel-server %s\nError: Cannot listen on %s:%u: %s.\n", serverVersion(),
                     settings.host.c_str(), static_cast<unsigned>(settings.port), error.message().c_str());
        return 1;
    }
    net::signal_set signals(context, SIGINT, SIGTERM);
    const tcp::endpoint bound = listener->localEndpoint();
    const std::string host = bound.address().is_v6() ? "[" + bound.address().to_string() + "]"
                                                      : bound.address().to_string();
    std::fprintf(announce, "korvel-server listening on http://%s:%u/\n", host.c_str(),
                 static_cast<unsigned>(bound.port()));
    std::fflush(announce);

    net::steady_timer deadline(context);
    signals.async_wait([&](beast::error_code error, int) {
        if (!error) {
            beginStop(contexts, *listener, state, deadline);
        }
    });
    listener->accept();

    // The other contexts run until their last connection is gone and the
    // first context (the listener's) has finished.
    std::vector<net::executor_work_guard<net::io_context::executor_type>> busy;
    std::vector<std::thread> threads;
    for (std::size_t i = 1; i < contexts.size(); ++i) {
        busy.push_back(net::make_work_guard(*contexts[i]));
        threads.emplace_back([&contexts, i] { contexts[i]->run(); });
    }
    context.run();
    for (auto& guard : busy) {
        guard.reset();
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    return 0;
}

}  // namespace korvel::server
