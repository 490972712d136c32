// The benchmark's slow network: relays 127.0.0.1:LISTEN to the Firebird server on
// 127.0.0.1:TARGET with DELAY milliseconds added to every round trip, until it is
// sent SIGTERM or SIGINT; then prints the round trips it counted.
//
//   bench_latency_proxy --listen PORT --target PORT --delay MS
#include "bench/latency_proxy.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>

int main(int argc, char** argv)
{
    int listen = 0, target = 3050, delay = 0;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        const int value = std::atoi(argv[i + 1]);
        if (option == "--listen")
            listen = value;
        else if (option == "--target")
            target = value;
        else if (option == "--delay")
            delay = value;
        else {
            std::fprintf(stderr, "usage: %s --listen PORT --target PORT --delay MS\n", argv[0]);
            return 2;
        }
    }
    // The relay's thread must not take the signals: they are waited for here.
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGTERM);
    sigaddset(&stop, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);
    try {
        bench::LatencyProxy proxy(target, std::chrono::milliseconds(delay), listen);
        std::printf("listening %d\n", proxy.port());
        std::fflush(stdout);
        int signal = 0;
        sigwait(&stop, &signal);
        std::printf("round_trips %lld\n", static_cast<long long>(proxy.roundTrips()));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", argv[0], e.what());
        return 1;
    }
    return 0;
}
