// Waiting on the event loop for what a worker thread or a queued command finishes.
#pragma once

#include <functional>

// True once `done` holds, false when `msecs` passed first; events run meanwhile.
bool WaitUntil(const std::function<bool()>& done, int msecs = 15000);
