#ifdef _WIN32

#include "platform/Signals.h"

#include "platform/WindowsInternal.h"

#include <windows.h>

#include <atomic>

// Windows has no signals to catch: Ctrl+C, Ctrl+Break and a closing console
// window arrive through the console's control handler, and a parent's request
// to stop through a named event (see ChildProcess::terminate()).

namespace orvelle::platform {

namespace {

std::atomic<int> g_interruptCount{0};
std::atomic<bool> g_catching{false};
std::atomic<bool> g_watchingStopEvent{false};

// How long a closing console, log-off or shutdown waits for the work to
// notice the flag and clean up; the system ends the process after at most
// a few seconds anyway.
constexpr DWORD kCloseGraceMs = 4000;

void noteInterrupt() {
    int count = g_interruptCount.load();
    while (count < 1000 && !g_interruptCount.compare_exchange_weak(count, count + 1)) {
    }
}

BOOL WINAPI onConsoleEvent(DWORD event) {
    noteInterrupt();
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
        ::Sleep(kCloseGraceMs); // the process ends when this returns
    return TRUE;
}

VOID CALLBACK onStopRequest(PVOID, BOOLEAN) {
    noteInterrupt();
}

} // namespace

void catchInterrupts() {
    if (g_catching.exchange(true)) return;
    ::SetConsoleCtrlHandler(onConsoleEvent, TRUE);
    // The event and the wait stay for the life of the process (a parent's
    // stop request only sets the flag, also after releaseInterrupts()).
    if (g_watchingStopEvent.exchange(true)) return;
    const HANDLE stop = ::OpenEventW(SYNCHRONIZE, FALSE, windows::stopEventName(::GetCurrentProcessId()).c_str());
    if (stop == nullptr) return; // not started by our own ChildProcess
    HANDLE wait = nullptr;
    if (!::RegisterWaitForSingleObject(&wait, stop, onStopRequest, nullptr, INFINITE, WT_EXECUTEONLYONCE))
        ::CloseHandle(stop);
}

void releaseInterrupts() {
    if (!g_catching.exchange(false)) return;
    // Without our handler the console's default one ends the process.
    ::SetConsoleCtrlHandler(onConsoleEvent, FALSE);
}

bool interruptRequested() {
    return g_interruptCount.load() != 0;
}

int interruptCount() {
    return g_interruptCount.load();
}

} // namespace orvelle::platform

#endif
