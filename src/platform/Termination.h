// Being asked from outside to end: SIGTERM, SIGINT (Ctrl+C) and SIGHUP (a
// closed terminal). The first of them asks the program to end the way a
// normal close does (a child it runs is ended, what it stopped is started
// again); a second one ends it at once.
#pragma once

namespace kestrel {

// Catches the three signals from now on and forgets an earlier request.
void CatchTerminationSignals();
// The signal that asked the program to end; 0 while none did.
int TerminationSignal();
// Becomes readable when a signal asked (for an event loop to watch); -1
// before CatchTerminationSignals.
int TerminationFd();

}  // namespace kestrel
