#pragma once
/// Interrupt requests (Ctrl+C, a terminate request from a parent process, a
/// closed output pipe) as a flag that long-running work polls, so it can
/// remove what it wrote before it exits.

namespace orvelle::platform {

/// From now on an interrupt or terminate request sets the flag instead of
/// ending the process at once.
void catchInterrupts();

/// True once an interrupt or terminate request has arrived.
bool interruptRequested();

/// How many interrupt or terminate requests have arrived (a second Ctrl+C
/// may mean "quit now").
int interruptCount();

} // namespace orvelle::platform
