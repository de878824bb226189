// One HTTP request on a thread of its own, watched by the render thread: the
// script's timeout bounds the whole request, the host's abort cancels it, and
// the response's headers and body (after any decompression) have size limits.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace qv {

struct HttpReply {
    int status = -1;   // -1: no response (failure, timeout, cancel, body too large)
    std::string body;  // whole: a binary body keeps its zero bytes
};

struct HttpCall {
    long long method;   // 0 GET, 1 POST, 2 PUT, 3 DELETE, 4 OPTIONS
    long long timeout;  // seconds, for the whole request
    std::string host;
    long long port;
    std::string path, body, contentType;
};

// Larger bodies fail the request; a compressed body stops inflating here.
constexpr std::size_t kMaxResponseBody = std::size_t(64) << 20;
// Bytes received before the headers end past which the request fails: the
// client keeps every header line, so endless headers would fill memory.
constexpr std::uint64_t kMaxResponseHeaderBytes = std::uint64_t(1) << 20;
// Connecting cannot be cancelled once begun, so it gets at most this long.
constexpr long long kMaxConnectSeconds = 3;

// Runs `call`; every few milliseconds asks `stopWanted` and gives up
// (status -1) when it answers true or when the timeout has passed. Returns
// only once the request's thread has ended.
HttpReply performHttpCall(const HttpCall &call, const std::function<bool()> &stopWanted,
                          std::size_t maxBody = kMaxResponseBody);

} // namespace qv
