// Driving the modal dialog a command is about to open, from inside its event loop.
#pragma once

#include <QApplication>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

// Runs `drive` on the `Dialog` that comes up within `attempts` looks `intervalMs` apart; closes it if
// `drive` left it open, so that a wrong turn fails the test instead of hanging it.
template <typename Dialog>
void WhenModal(std::function<void(Dialog*)> drive, int attempts = 50, int intervalMs = 20)
{
    QTimer::singleShot(intervalMs, [drive, attempts, intervalMs] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            if (attempts > 0)
                WhenModal<Dialog>(drive, attempts - 1, intervalMs);
            else
                ADD_FAILURE() << "no dialog came up";
            return;
        }
        drive(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
}
