#include "InterruptGuard.h"

#include <atomic>

#include "cell/CellSession.h"

namespace kelvarn {

namespace {

// The session Ctrl+C interrupts; its Interrupt is lock-free atomic stores, safe in a signal
// handler.
std::atomic<CellSession*> g_session{nullptr};

void OnInterrupt(int) {
    if (CellSession* s = g_session.load()) s->Interrupt();
}

}  // namespace

InterruptGuard::InterruptGuard(CellSession& session) {
    g_session = &session;
    struct sigaction sa {};
    sa.sa_handler = OnInterrupt;
    sigaction(SIGINT, &sa, &old_);
}

InterruptGuard::~InterruptGuard() {
    sigaction(SIGINT, &old_, nullptr);
    g_session = nullptr;
}

}  // namespace kelvarn
