#pragma once
/// Interrupt requests (Ctrl+C, a terminate request from a parent process, a
/// closed output pipe) as a flag that long-running work polls, so it can
/// remove what it wrote before it exits.

namespace orvelle::platform {

/// From now on an interrupt or terminate request sets the flag instead of
/// ending the process at once.
void catchInterrupts();

/// Undoes catchInterrupts(): from now on an interrupt or terminate request
/// ends the process at once again, as it does before catchInterrupts(). For
/// a command whose part that must clean up after itself is over. The flag
/// and the count keep what arrived meanwhile.
void releaseInterrupts();

/// True once an interrupt or terminate request has arrived.
bool interruptRequested();

/// How many interrupt or terminate requests have arrived (a second Ctrl+C
/// may mean "quit now").
int interruptCount();

} // namespace orvelle::platform
