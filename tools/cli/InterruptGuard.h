#pragma once

#include <signal.h>

namespace kelvarn {

class CellSession;

// Ctrl+C while kelvarn-cli talks to the cell: the session is interrupted (its command stops
// between two exchanges, its live measurement before the next level, and a command begun
// afterwards starts cancelled), so that what arrived is kept and written. Held for the guard's
// lifetime; the handler before it comes back afterwards. One guard at a time.
class InterruptGuard {
public:
    explicit InterruptGuard(CellSession& session);
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

private:
    struct sigaction old_ {};
};

}  // namespace kelvarn
