#include "cli/interrupt.h"

#include <chrono>
#include <csignal>
#include <thread>

namespace datrevo::cli {
namespace {

// Written by the signal handler only; read by the waiting loop.
volatile std::sig_atomic_t interrupted = 0;

extern "C" void OnInterrupt(int) {
    if (interrupted != 0) {
        std::signal(SIGINT, SIG_DFL);
        std::raise(SIGINT);
    }
    interrupted = 1;
}

}  // namespace

bool WaitWithInterrupt(const std::function<bool()>& isRunning, const std::function<void()>& stop,
                       const std::function<void()>& tick) {
    interrupted = 0;
    const auto previous = std::signal(SIGINT, OnInterrupt);
    bool stopped = false;
    while (isRunning()) {
        if (interrupted != 0 && !stopped) {
            stop();
            stopped = true;
        }
        if (tick) tick();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::signal(SIGINT, previous);
    return stopped;
}

}  // namespace datrevo::cli
