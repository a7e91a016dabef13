#ifndef _WIN32

#include "platform/Signals.h"

#include <csignal>

namespace orvelle::platform {

namespace {
volatile std::sig_atomic_t g_interrupted = 0;
volatile std::sig_atomic_t g_interruptCount = 0;

extern "C" void onInterrupt(int) {
    g_interrupted = 1;
    if (g_interruptCount < 1000) g_interruptCount = g_interruptCount + 1;
}
} // namespace

void catchInterrupts() {
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
#ifdef SIGHUP
    std::signal(SIGHUP, onInterrupt);
#endif
#ifdef SIGPIPE
    // Whoever read our output is gone: nobody wants the rest.
    std::signal(SIGPIPE, onInterrupt);
#endif
}

void releaseInterrupts() {
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
#ifdef SIGHUP
    std::signal(SIGHUP, SIG_DFL);
#endif
#ifdef SIGPIPE
    std::signal(SIGPIPE, SIG_DFL);
#endif
}

bool interruptRequested() {
    return g_interrupted != 0;
}

int interruptCount() {
    return static_cast<int>(g_interruptCount);
}

} // namespace orvelle::platform

#endif
