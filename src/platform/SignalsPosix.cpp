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

/// Gives every signal that asks the program to end the same handler.
void handleEndSignals(void (*handler)(int)) {
    std::signal(SIGINT, handler);
    std::signal(SIGTERM, handler);
#ifdef SIGHUP
    std::signal(SIGHUP, handler);
#endif
#ifdef SIGPIPE
    // Whoever read our output is gone: nobody wants the rest.
    std::signal(SIGPIPE, handler);
#endif
}
} // namespace

void catchInterrupts() {
    handleEndSignals(onInterrupt);
}

void releaseInterrupts() {
    handleEndSignals(SIG_DFL);
}

bool interruptRequested() {
    return g_interrupted != 0;
}

int interruptCount() {
    return static_cast<int>(g_interruptCount);
}

} // namespace orvelle::platform

#endif
