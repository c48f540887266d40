// Polling with the event loop running, for tests that wait on threads whose calls the window
// serves: the GoogleTest form of QTRY_VERIFY.
#pragma once

#include <QDeadlineTimer>
#include <QTest>

namespace testing_support {

// Processes events until `done()` is true or `timeoutMs` has passed; returns `done()`.
template <typename Done>
bool WaitUntil(Done done, int timeoutMs = 15000) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(5);
    }
    return true;
}

}  // namespace testing_support
