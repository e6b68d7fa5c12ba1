// Waiting on the event loop for what a worker thread or a queued command finishes.
#include "support/waituntil.h"

#include <QElapsedTimer>
#include <QTest>

bool WaitUntil(const std::function<bool()>& done, int msecs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > msecs)
            return false;
        QTest::qWait(10);
    }
    return true;
}
