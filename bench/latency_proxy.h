#pragma once
// A TCP relay between the Firebird client and a server on this machine that holds
// every chunk of bytes back for half the given delay in each direction, as a slow
// network would, and counts the round trips: the times the server starts answering
// after the client has spoken. It lets the benchmark and the tests see what an
// import costs over a VPN without leaving the machine.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>

namespace bench {

class LatencyProxy {
public:
    // Listens on 127.0.0.1 at listenPort (0: a free port the system picks) and
    // relays every connection to targetPort on 127.0.0.1. Throws std::runtime_error
    // when it cannot listen.
    LatencyProxy(int targetPort, std::chrono::milliseconds roundTripDelay, int listenPort = 0);
    ~LatencyProxy();
    LatencyProxy(const LatencyProxy&) = delete;
    LatencyProxy& operator=(const LatencyProxy&) = delete;

    int port() const { return port_; }
    // Round trips of every connection so far.
    std::int64_t roundTrips() const { return roundTrips_.load(); }
    void resetCount() { roundTrips_ = 0; }

private:
    void serve();

    int targetPort_;
    std::chrono::microseconds halfDelay_;
    int listener_ = -1;
    int port_ = 0;
    int wake_[2] = {-1, -1};
    std::atomic<std::int64_t> roundTrips_{0};
    std::thread thread_;
};

} // namespace bench
