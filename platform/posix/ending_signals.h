// SIGTERM, SIGINT and SIGHUP end the program at any moment with code 0, the
// same way in every loop: the handler notes the signal and shuts down the
// descriptor the loop waits on, which wakes it (a poll, a blocking read, a
// roundtrip inside a library, which retry on EINTR) with an end or an error;
// the loop then sees EndingSignalled() and leaves without a message. The
// handler may run on any thread.
#pragma once

namespace zarvella::posix {

// Handlers in place of what the process was started with (even ignored or
// blocked signals end it). No SA_RESTART: a connect() that blocks on a full
// listening socket gives up.
void CatchEndingSignals();
bool EndingSignalled();
// The socket to shut down on a signal (-1: none). A socket shut down before
// a signal came is the caller's own business.
void WakeOnEndingSignal(int socket);

}  // namespace zarvella::posix
