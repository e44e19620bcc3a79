// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// The child side of the tests that end a recording program from outside: the program started
// through its own start-up, its recorder recording the pipe source into `take`; "recording" is
// printed once the take runs, for the parent to act on. Returns only if the recorder closed.

#include "components/cWave.h"
#include "foundation/mdlMain.h"
#include "mainwindow/FrmMain.h"
#include "recording/FrmMicRecorder.h"
#include "tests/sound/RecorderStartup.h"
#include "tests/sound/Takes.h"
#include "tests/support/PulseServer.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace takes {

inline void recordInThisProgramUntilEnded(const QString& take)
{
    RecorderProfileStartup windows;
    ASSERT_TRUE(Main(windows, {}));
    FrmMain* f = frmMain.loaded();
    ASSERT_TRUE(f);
    QTimer watcher;
    watcher.setInterval(20);
    bool pressed = false;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        FrmMicRecorder* w = g_frmMicRecorder.loaded();
        if (!w || !w->isVisible())
            return;
        if (!pressed) {
            std::unique_ptr<cWave> probe = CreateWave();
            const long device = deviceNumber(*probe, cWave::KindInput, PulseServer::kPipeSource);
            if (device >= 0)
                w->cboDevices->setCurrentIndex(static_cast<int>(device));
            w->txtAudioFile->setText(take);
            w->cmdRecord->click();
            pressed = true;
        } else if (!w->cmdRecord->isEnabled()) {
            std::fputs("recording\n", stdout);
            std::fflush(stdout);
            watcher.stop();
        }
    });
    watcher.start();
    f->RunCommand(QStringLiteral("Audio Recorder"));
}

}  // namespace takes
