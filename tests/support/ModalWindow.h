// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QTimer>

namespace modal {

// Runs `run`, which opens the form's window modally (a command of the main window), and once the
// window shows calls `act` with it, as its user would act on it. A window still open after
// `timeoutMs` is hidden, so a test never hangs in its modal loop; both timers end with this
// call, so neither can reach into a later test.
template <class FormRef, class Act, class Run>
void ActWhenShown(FormRef& form, Act act, Run run, int timeoutMs)
{
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* w = form.loaded();
        if (!w || !w->isVisible())
            return;
        poll.stop();
        act(w);
    });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        if (auto* w = form.loaded())
            w->hide();
    });
    poll.start();
    guard.start(timeoutMs);
    run();
}

}  // namespace modal
