// Runs the local stand-in of the services until interrupted:
//   corvane-standin [--main-port 3600] [--payment-port 3680] [--database FILE] [--session-lifetime SECONDS]
#include "tools/service-standin/ServiceStandIn.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <unistd.h>

#ifndef CORVANE_PAYMENT_PORT
#define CORVANE_PAYMENT_PORT 3680
#endif

int main(int argc, char** argv)
{
    standin::Options options;
    options.mainPort = 3600;
    options.paymentPort = CORVANE_PAYMENT_PORT;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--main-port"))
            options.mainPort = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--payment-port"))
            options.paymentPort = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--database"))
            options.databasePath = argv[i + 1];
        else if (!std::strcmp(argv[i], "--session-lifetime"))
            options.sessionLifetime = std::chrono::seconds(std::atoi(argv[i + 1]));
        else {
            std::cerr << "unknown option " << argv[i] << "\n";
            return 2;
        }
    }
    if ((argc - 1) % 2) {
        std::cerr << "usage: corvane-standin [--main-port N] [--payment-port N] [--database FILE] [--session-lifetime SECONDS]\n";
        return 2;
    }

    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    standin::ServiceStandIn standIn(options);
    if (!standIn.start()) {
        std::cerr << "corvane-standin: " << standIn.lastError() << "\n";
        return 1;
    }
    std::cout << "main, video and appeal services: " << standIn.mainBaseURL() << "\n"
              << "payment service: " << standIn.paymentBaseURL() << "\n"
              << "press Ctrl-C to stop" << std::endl;
    int received = 0;
    sigwait(&signals, &received);
    return 0;
}
