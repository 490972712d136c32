#include "bench/latency_proxy.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <list>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace bench {
namespace {

using Clock = std::chrono::steady_clock;

// Bytes read from one side, to be written to the other once they are due. An
// empty chunk stands for the end of that side's stream.
struct Chunk {
    Clock::time_point due;
    std::string bytes;
    std::size_t sent = 0;
};

struct Link {
    int client = -1;
    int server = -1;
    std::deque<Chunk> toServer;
    std::deque<Chunk> toClient;
    bool clientOpen = true;
    bool serverOpen = true;
    bool clientSpokeLast = false;
    bool broken = false;
};

void setNonBlocking(int fd)
{
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

sockaddr_in loopback(int port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

int connectTo(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = loopback(port);
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        if (fd >= 0)
            ::close(fd);
        return -1;
    }
    setNonBlocking(fd);
    return fd;
}

// Reads what is there; false at the end of the stream or on an error.
bool readInto(int fd, std::deque<Chunk>& queue, Clock::time_point due, bool& any)
{
    char buffer[65536];
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n > 0) {
        queue.push_back({due, std::string(buffer, static_cast<std::size_t>(n))});
        any = true;
        return true;
    }
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
        return true;
    queue.push_back({due, {}});
    return false;
}

// Writes the chunks that are due; false when the other side is gone.
bool writeDue(int fd, std::deque<Chunk>& queue, Clock::time_point now)
{
    while (!queue.empty() && queue.front().due <= now) {
        Chunk& chunk = queue.front();
        if (chunk.bytes.empty()) {
            ::shutdown(fd, SHUT_WR);
            queue.pop_front();
            continue;
        }
        const ssize_t n =
            ::send(fd, chunk.bytes.data() + chunk.sent, chunk.bytes.size() - chunk.sent, MSG_NOSIGNAL);
        if (n < 0)
            return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
        chunk.sent += static_cast<std::size_t>(n);
        if (chunk.sent < chunk.bytes.size())
            return true;
        queue.pop_front();
    }
    return true;
}

// What to wait for on one socket: its bytes while it is open, room to write when a
// chunk for it is due. A socket with nothing to wait for is left out, or its hang-up
// would wake the loop again and again.
pollfd watch(int fd, bool open, const std::deque<Chunk>& queue, Clock::time_point now)
{
    const short events =
        static_cast<short>((open ? POLLIN : 0) | (!queue.empty() && queue.front().due <= now ? POLLOUT : 0));
    return {events != 0 ? fd : -1, events, 0};
}

} // namespace

LatencyProxy::LatencyProxy(int targetPort, std::chrono::milliseconds roundTripDelay, int listenPort)
    : targetPort_(targetPort),
      halfDelay_(std::chrono::duration_cast<std::chrono::microseconds>(roundTripDelay) / 2)
{
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int one = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in address = loopback(listenPort);
    socklen_t length = sizeof address;
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 16) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        ::pipe2(wake_, O_CLOEXEC) != 0) {
        const std::string reason = std::strerror(errno);
        if (listener_ >= 0)
            ::close(listener_);
        throw std::runtime_error("cannot listen on 127.0.0.1:" + std::to_string(listenPort) + ": " + reason);
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { serve(); });
}

LatencyProxy::~LatencyProxy()
{
    const char stop = 0;
    (void)!::write(wake_[1], &stop, 1);
    thread_.join();
    ::close(wake_[0]);
    ::close(wake_[1]);
    ::close(listener_);
}

void LatencyProxy::serve()
{
    std::list<Link> links;
    std::vector<pollfd> fds;
    for (;;) {
        Clock::time_point now = Clock::now();
        fds.assign({{wake_[0], POLLIN, 0}, {listener_, POLLIN, 0}});
        // The nearest chunk that is not due yet bounds the wait.
        auto wait = Clock::time_point::max();
        for (Link& link : links) {
            fds.push_back(watch(link.client, link.clientOpen, link.toClient, now));
            fds.push_back(watch(link.server, link.serverOpen, link.toServer, now));
            for (const auto* queue : {&link.toClient, &link.toServer})
                if (!queue->empty() && queue->front().due > now)
                    wait = std::min(wait, queue->front().due);
        }
        int timeout = -1;
        if (wait != Clock::time_point::max())
            timeout = static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(wait - now).count());
        if (::poll(fds.data(), fds.size(), timeout) < 0 && errno != EINTR)
            return;
        if (fds[0].revents != 0)
            break;
        now = Clock::now();
        if (fds[1].revents & POLLIN) {
            const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client >= 0) {
                const int server = connectTo(targetPort_);
                if (server < 0) {
                    ::close(client);
                } else {
                    setNonBlocking(client);
                    Link& link = links.emplace_back();
                    link.client = client;
                    link.server = server;
                }
            }
        }
        std::size_t i = 2;
        for (Link& link : links) {
            if (i + 1 >= fds.size())
                break; // accepted in this pass: not polled yet
            const short clientEvents = fds[i++].revents;
            const short serverEvents = fds[i++].revents;
            const auto due = now + halfDelay_;
            bool any = false;
            if (link.clientOpen && (clientEvents & (POLLIN | POLLHUP | POLLERR))) {
                link.clientOpen = readInto(link.client, link.toServer, due, any);
                if (any)
                    link.clientSpokeLast = true;
            }
            any = false;
            if (link.serverOpen && (serverEvents & (POLLIN | POLLHUP | POLLERR))) {
                link.serverOpen = readInto(link.server, link.toClient, due, any);
                if (any && link.clientSpokeLast) {
                    ++roundTrips_;
                    link.clientSpokeLast = false;
                }
            }
            if (!writeDue(link.server, link.toServer, now) || !writeDue(link.client, link.toClient, now))
                link.broken = true;
        }
        links.remove_if([](const Link& link) {
            const bool done = link.broken || (!link.clientOpen && !link.serverOpen && link.toClient.empty() &&
                                              link.toServer.empty());
            if (done) {
                ::close(link.client);
                ::close(link.server);
            }
            return done;
        });
    }
    for (Link& link : links) {
        ::close(link.client);
        ::close(link.server);
    }
}

} // namespace bench
