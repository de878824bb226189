// A loopback TCP server that answers every connection with a behaviour of the
// test's choosing (raw bytes, trickles, silence, endless headers), for the
// hostile-server cases of the HTTP client. Each connection runs on its own
// thread; the server stops and joins them all when destroyed.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class HostileServer {
public:
    class Connection {
    public:
        Connection(int fd, const std::atomic<bool> &stopping) : fd_(fd), stopping_(stopping) {}
        // False once the client has gone or the server stops.
        bool send(const std::string &bytes)
        {
            std::size_t sent = 0;
            while (sent < bytes.size()) {
                if (stopping_)
                    return false;
                ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
                if (n <= 0)
                    return false;
                sent += std::size_t(n);
            }
            return true;
        }
        // Waits, but wakes early when the server stops; false then.
        bool pause(std::chrono::milliseconds ms)
        {
            auto end = std::chrono::steady_clock::now() + ms;
            while (std::chrono::steady_clock::now() < end) {
                if (stopping_)
                    return false;
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            return !stopping_;
        }
        // Reads the request's head (up to the blank line) so the client's send
        // completes; gives it for the test to look at.
        std::string readRequestHead()
        {
            std::string head;
            char c;
            while (head.size() < 65536 && head.find("\r\n\r\n") == std::string::npos && ::recv(fd_, &c, 1, 0) == 1)
                head += c;
            return head;
        }
        // Reads and drops up to `n` bytes (a request's body); how many came.
        std::size_t skip(std::size_t n)
        {
            std::string buffer(1 << 16, '\0');
            std::size_t got = 0;
            ssize_t r = 0;
            while (got < n && (r = ::recv(fd_, &buffer[0], std::min(buffer.size(), n - got), 0)) > 0)
                got += std::size_t(r);
            return got;
        }

    private:
        int fd_;
        const std::atomic<bool> &stopping_;
    };
    using Behaviour = std::function<void(Connection &)>;

    explicit HostileServer(Behaviour behaviour) : behaviour_(std::move(behaviour))
    {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof addr;
        ::bind(listener_, reinterpret_cast<sockaddr *>(&addr), sizeof addr);
        ::getsockname(listener_, reinterpret_cast<sockaddr *>(&addr), &length);
        ::listen(listener_, 8);
        port_ = ntohs(addr.sin_port);
        acceptor_ = std::thread([this] { acceptLoop(); });
    }
    ~HostileServer()
    {
        stopping_ = true;
        acceptor_.join();
        for (std::thread &t : connections_)
            t.join();
        ::close(listener_);
    }
    int port() const { return port_; }

private:
    void acceptLoop()
    {
        while (!stopping_) {
            pollfd p{listener_, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0)
                continue;
            int fd = ::accept(listener_, nullptr, nullptr);
            if (fd < 0)
                continue;
            connections_.emplace_back([this, fd] {
                Connection c(fd, stopping_);
                behaviour_(c);
                ::close(fd);
            });
        }
    }

    Behaviour behaviour_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread acceptor_;
    std::vector<std::thread> connections_;
};
