// One HTTP request on a thread of its own, watched by the render thread: the
// script's timeout bounds the whole request, the host's abort cancels it, and
// the response's headers and body (after any decompression) have size limits.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace qv {

struct HttpReply {
    int status = -1;   // -1: no response (failure, timeout, cancel, body too large)
    std::string body;  // whole: a binary body keeps its zero bytes
    std::string refusal;  // why the request was never sent, when it was refused
};

struct HttpCall {
    long long method;   // 0 GET, 1 POST, 2 PUT, 3 DELETE, 4 OPTIONS
    long long timeout;  // seconds, for the whole request
    std::string host;
    long long port;
    std::string path;
    // Not copied: the bytes are sent from where the caller holds them (for a
    // script, its own string), so a large body costs no memory beyond the
    // script's. They must stay in place until performHttpCall returns.
    std::string_view body;
    std::string contentType;
};

// Larger bodies fail the request; a compressed body stops inflating here.
constexpr std::size_t kMaxResponseBody = std::size_t(64) << 20;
// Bytes received before the headers end past which the request fails: the
// client keeps every header line, so endless headers would fill memory.
constexpr std::uint64_t kMaxResponseHeaderBytes = std::uint64_t(1) << 20;
// Longer timeouts count as this (about 23 days): the client waits on its
// socket for a number of milliseconds held in an int, and the deadline is a
// point of the steady clock, which neither may overflow.
constexpr long long kMaxTimeoutSeconds = 2000000;
// Connecting cannot be cancelled once begun, so it gets at most this long.
constexpr long long kMaxConnectSeconds = 3;

// Runs `call`, unless its host, path or (sent) content type holds a CR, an LF
// or a zero byte, which would end the request's line or a header early and
// let the rest pass as headers or requests of the caller's making: such a
// call is refused with status -1 and `refusal` set, and nothing is sent.
// While the request runs, every few milliseconds it asks `stopWanted` and
// gives up (status -1) when that answers true or when the timeout has passed
// (a negative timeout counts as 0). Returns only once the request's thread
// has ended.
HttpReply performHttpCall(const HttpCall &call, const std::function<bool()> &stopWanted,
                          std::size_t maxBody = kMaxResponseBody);

} // namespace qv
