#include "portal_simulator.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <pthread.h>

namespace {

void usage()
{
    std::fprintf(stderr,
        "usage: portal-sim [--port N]\n"
        "Serves the Domora portal (all three hosts) on 127.0.0.1:N; N = 0 picks a free port.\n");
}

} // namespace

int main(int argc, char** argv)
{
    long port = 18080;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--port") == 0 && i + 1 < argc) {
            char* end = nullptr;
            port = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || port < 0 || port > 65535) {
                usage();
                return 2;
            }
        } else {
            usage();
            return 2;
        }
    }

    // The signals are taken by sigwait below; blocked before the server's threads start,
    // so none of them is interrupted by one.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    PortalSimulator simulator;
    if (!simulator.start(quint16(port))) {
        std::fprintf(stderr, "portal-sim: cannot listen on 127.0.0.1:%ld\n", port);
        return 1;
    }
    std::printf("portal-sim listening on %s (demo account: demo / demo123)\n", qPrintable(simulator.baseUrl()));
    std::fflush(stdout);

    int received = 0;
    sigwait(&stopSignals, &received);
    simulator.stop();
    std::printf("portal-sim stopped\n");
    return 0;
}
