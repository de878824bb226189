// cpp-httplib's client times out per socket operation, so a server that
// trickles bytes never ends a request by itself. The request therefore runs
// on a worker thread while the calling thread watches the clock and the
// host's abort; to give up it calls Client::stop, which shuts the socket
// down under the worker, and then waits for the worker to return. The client
// has no limit on header lines either, so until the headers are in, the
// watcher also counts the bytes the socket has received.
#include "lua/http_transfer.h"

#include "support/platform.h"

#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace qv {
namespace {

constexpr auto kWatchInterval = std::chrono::milliseconds(10);

const char *const kMethods[] = {"GET", "POST", "PUT", "DELETE", "OPTIONS"};

// The body goes out in pieces of this size, so a cancel is seen between them.
constexpr std::size_t kSendPiece = std::size_t(1) << 20;

struct Transfer {
    explicit Transfer(const HttpCall &c) : call(c), client(c.host, int(c.port)) {}

    HttpCall call;
    httplib::Client client;
    std::size_t maxBody = kMaxResponseBody;
    std::atomic<bool> cancelled{false};
    std::atomic<std::intptr_t> socket{-1};  // -1 until connecting begins
    std::atomic<bool> headersIn{false};
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    HttpReply reply;
};

// The client sends a content provider's bytes as they come, where a body in
// the request would be one more copy of it. Its Client::Post and the like
// take a provider but no receiver, so the request's own fields are set.
void sendBodyInPlace(Transfer &t, httplib::Request &req)
{
    std::string_view body = t.call.body;
    if (body.empty())
        return;  /* the client then sends "Content-Length: 0" itself */
    req.content_length_ = body.size();
    req.content_provider_ = [&t, body](std::size_t offset, std::size_t length, httplib::DataSink &sink) {
        return !t.cancelled.load() && sink.write(body.data() + offset, std::min(length, kSendPiece));
    };
}

httplib::Request makeRequest(Transfer &t, std::string &received, bool &tooLarge)
{
    const HttpCall &c = t.call;
    httplib::Request req;
    req.method = kMethods[c.method];
    req.path = c.path;
    bool hasBody = c.method >= 1 && c.method <= 3;
    if (hasBody) {
        sendBodyInPlace(t, req);
        if (!c.contentType.empty())
            req.headers.emplace("Content-Type", c.contentType);
    }
    req.content_receiver = [&t, &received, &tooLarge](const char *data, std::size_t n, uint64_t, uint64_t) {
        if (n > t.maxBody - received.size()) {
            tooLarge = true;
            return false;
        }
        received.append(data, n);
        return !t.cancelled.load();
    };
    req.progress = [&t](uint64_t, uint64_t) { return !t.cancelled.load(); };
    req.response_handler = [&t](const httplib::Response &) {
        t.headersIn = true;
        return !t.cancelled.load();
    };
    return req;
}

void runRequest(Transfer &t)
{
    HttpReply reply;
    try {
        std::string received;
        bool tooLarge = false;
        httplib::Request req = makeRequest(t, received, tooLarge);
        httplib::Response res;
        httplib::Error error = httplib::Error::Success;
        if (t.client.send(req, res, error) && !tooLarge && !t.cancelled) {
            reply.status = res.status;
            reply.body = std::move(received);
        }
    } catch (const std::exception &) {
        reply = HttpReply();  /* a client fault is a failed request */
    }
    std::lock_guard<std::mutex> lock(t.mutex);
    t.reply = std::move(reply);
    t.done = true;
    t.ended.notify_one();
}

bool breaksLines(std::string_view text)
{
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// What of `call` would write text of its own into the request, or null.
const char *unsafePart(const HttpCall &call)
{
    if (breaksLines(call.host))
        return "host";
    if (breaksLines(call.path))
        return "path";
    bool sendsContentType = call.method >= 1 && call.method <= 3;
    return sendsContentType && breaksLines(call.contentType) ? "content type" : nullptr;
}

HttpReply refused(const char *part)
{
    HttpReply reply;
    reply.refusal = std::string("Request not sent: its ") + part + " holds a line break or a zero byte";
    return reply;
}

void configure(Transfer &t, long long timeout)
{
    httplib::Client &client = t.client;
    client.set_socket_options([&t](socket_t socket) { t.socket = std::intptr_t(socket); });
    time_t seconds = time_t(timeout);
    client.set_connection_timeout(std::min<time_t>(seconds, kMaxConnectSeconds));
    client.set_read_timeout(seconds);
    client.set_write_timeout(seconds);
}

// Only while the headers arrive: afterwards the socket may be closed and its
// number reused, and the body has its own limit.
bool headersTooLong(const Transfer &t)
{
    std::intptr_t socket = t.socket;
    return !t.headersIn && socket != -1 && platform::TcpBytesReceived(socket) > kMaxResponseHeaderBytes;
}

} // namespace

HttpReply performHttpCall(const HttpCall &call, const std::function<bool()> &stopWanted, std::size_t maxBody)
{
    if (call.method < 0 || call.method > 4 || call.port < 0 || call.port > 65535)
        return HttpReply();  /* no request at all */
    if (const char *part = unsafePart(call))
        return refused(part);
    /* negative would wait forever */
    long long timeout = std::clamp(call.timeout, 0LL, kMaxTimeoutSeconds);
    auto transfer = std::make_unique<Transfer>(call);
    Transfer &t = *transfer;
    t.maxBody = maxBody;
    configure(t, timeout);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeout);
    std::thread worker;
    try {
        worker = std::thread([&t] { runRequest(t); });
    } catch (const std::system_error &) {
        return HttpReply();  /* no thread: no request */
    }
    std::unique_lock<std::mutex> lock(t.mutex);
    while (!t.ended.wait_for(lock, kWatchInterval, [&t] { return t.done; })) {
        lock.unlock();
        if (!t.cancelled && (std::chrono::steady_clock::now() >= deadline || stopWanted() || headersTooLong(t)))
            t.cancelled = true;
        if (t.cancelled)
            t.client.stop();  /* again each time: a stop before the socket exists finds nothing to shut */
        lock.lock();
    }
    lock.unlock();
    worker.join();
    return t.cancelled ? HttpReply() : std::move(t.reply);
}

} // namespace qv
