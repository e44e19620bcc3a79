// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// What the window drivers share: no one answers questions, rows are filled the way the main
// window's commands fill them, and a task is timed from the press of its button to its end.
//
// On a real display (QT_QPA_PLATFORM=xcb, or unset with DISPLAY set, and QUILLMERE_BENCH_CLICK=1)
// the window is shown, the button is clicked through the X server (xdotool), and the clock runs
// from the moment the button receives the release to the moment every output is renamed into
// place; the moment the window shows the task's end is printed too. Offscreen, the button's
// handler is called directly and both figures are the task's end.

#include "components/cGrid.h"
#include "foundation/mdlModes.h"
#include "itemsgrid/ItemRow.h"
#include "mainwindow/FrmMain.h"
#include "platform/MessageBox.h"
#include "settings/FrmOptions.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

#include <sys/inotify.h>
#include <sys/select.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <set>
#include <string>
#include <thread>

namespace windowdriver {

// Nobody is there to answer: the overwrite question is answered Yes.
class YesMessages final : public platform::MessageBoxService {
public:
    int show(const platform::MessageBoxRequest&, QWidget*) override { return platform::vbYes; }
};

inline void wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// QUILLMERE_SHOW_SECONDS=n shows the window for a look at it; without it the driver runs
// offscreen. Call before the application object exists.
inline int showSecondsFromEnvironment()
{
    const int showSeconds = qEnvironmentVariableIntValue("QUILLMERE_SHOW_SECONDS");
    const bool click = qEnvironmentVariableIntValue("QUILLMERE_BENCH_CLICK") != 0;
    if (showSeconds == 0 && !click && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return showSeconds;
}

inline bool clickThroughDisplay()
{
    return qEnvironmentVariableIntValue("QUILLMERE_BENCH_CLICK") != 0 &&
           QGuiApplication::platformName() != QLatin1String("offscreen");
}

// Watches a folder from a thread of its own (so a busy GUI thread cannot delay the reading) and
// notes the moment the last of the expected names appears in it, renamed or closed after writing.
class OutputWatch {
public:
    OutputWatch(const QString& folder, const QStringList& names)
    {
        for (const QString& n : names)
            m_missing.insert(n.toStdString());
        m_fd = inotify_init1(IN_CLOEXEC);
        if (m_fd >= 0)
            inotify_add_watch(m_fd, QFile::encodeName(folder).constData(), IN_MOVED_TO | IN_CLOSE_WRITE);
        m_thread = std::thread([this] { run(); });
    }
    ~OutputWatch()
    {
        m_quit = true;  // the reader polls with a time-out and sees it
        m_thread.join();
        if (m_fd >= 0)
            ::close(m_fd);
    }
    // Seconds from `since` to the last expected name, or a negative value while any is missing.
    double secondsSince(std::chrono::steady_clock::time_point since) const
    {
        if (!m_complete.load())
            return -1;
        return std::chrono::duration<double>(m_at - since).count();
    }

private:
    void run()
    {
        alignas(inotify_event) char buffer[64 * 1024];
        while (m_fd >= 0 && !m_quit && !m_missing.empty()) {
            timeval tv{0, 20000};
            fd_set set;
            FD_ZERO(&set);
            FD_SET(m_fd, &set);
            if (::select(m_fd + 1, &set, nullptr, nullptr, &tv) <= 0)
                continue;
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            const auto now = std::chrono::steady_clock::now();
            for (ssize_t i = 0; i < n;) {
                const auto* e = reinterpret_cast<const inotify_event*>(buffer + i);
                if (e->len > 0)
                    m_missing.erase(std::string(e->name));
                i += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
            }
            if (m_missing.empty()) {
                m_at = now;
                m_complete = true;
            }
        }
    }

    int m_fd = -1;
    std::set<std::string> m_missing;
    std::chrono::steady_clock::time_point m_at;
    std::atomic<bool> m_complete{false};
    std::atomic<bool> m_quit{false};
    std::thread m_thread;
};

// Starts the clock when the button receives the mouse release that clicks it, before the
// button's own handling.
class ReleaseClock : public QObject {
public:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::MouseButtonRelease && !started) {
            at = std::chrono::steady_clock::now();
            started = true;
        }
        return false;
    }
    std::chrono::steady_clock::time_point at;
    bool started = false;
};

inline void prepare(int showSeconds)
{
    InitProductConfig();
    if (showSeconds > 0) {
        frmOptions.get();  // the colours of the options
        frmMain.get();     // the menu icons of the tabs and the tray of the balloons
    }
}

// One row as the main grid copies it: a whole-file audio item.
inline void fillAudioRow(cGrid* g, long row, const QString& path, const QString& time)
{
    g->SetCell(row, g->ColumnIndex(ItemRow::COL_TYPE), QStringLiteral("Audio"));
    g->SetCell(row, g->ColumnIndex(ItemRow::COL_ITEM_NAME), QFileInfo(path).fileName());
    g->SetCell(row, g->ColumnIndex(ItemRow::COL_SIZE),
               QString(QString::number(QFileInfo(path).size() / 1024) + QStringLiteral(" KB")));
    g->SetCell(row, g->ColumnIndex(ItemRow::COL_TIME), time);
    g->SetCell(row, g->ColumnIndex(ItemRow::COL_RANGE), QStringLiteral("All"));
    g->SetCell(row, g->ColumnIndex(COL_FILE), path);
    g->SetCell(row, g->ColumnIndex(COL_RANGE_ALL), QStringLiteral("1"));
}

// Presses the window's start button, waits for the task to end, prints the seconds it took (to
// the outputs in place, then to the end shown in the window) and closes everything. `outputs`
// are the names the task writes into `folder`. Exit code 0 only when the task ended "Done.".
template <class Window>
int timeTask(Window* w, int showSeconds, const QString& folder, const QStringList& outputs)
{
    const bool click = clickThroughDisplay();
    if (showSeconds > 0 || click) {
        w->show();
        w->raise();
        w->activateWindow();
        QElapsedTimer exposed;
        exposed.start();
        while (!(w->windowHandle() && w->windowHandle()->isExposed()) && exposed.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        while (!w->isActiveWindow() && exposed.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        // The window manager settles: a click sent sooner may be taken by it rather than the button.
        wait(showSeconds > 0 ? showSeconds * 1000 : 1500);
    }
    OutputWatch watch(folder, outputs);
    ReleaseClock clock;
    if (click) {
        w->cmdConvert->installEventFilter(&clock);
        const QPoint at = w->cmdConvert->mapToGlobal(w->cmdConvert->rect().center());
        // The pointer comes from elsewhere: one resting on the button since an earlier run may
        // have its click taken by the window manager. A click that went astray is sent again.
        const QStringList clickArgs{QStringLiteral("mousemove"), QStringLiteral("0"), QStringLiteral("0"),
                                    QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(at.x()),
                                    QString::number(at.y()), QStringLiteral("click"), QStringLiteral("1")};
        for (int attempt = 0; attempt < 5 && !clock.started; ++attempt) {
            if (!QProcess::startDetached(QStringLiteral("xdotool"), clickArgs)) {
                std::fprintf(stderr, "cannot start xdotool\n");
                return 2;
            }
            QElapsedTimer patience;
            patience.start();
            while (!clock.started && patience.elapsed() < 2000)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        }
        if (!clock.started) {
            std::fprintf(stderr, "the click did not reach the button\n");
            return 2;
        }
    } else {
        clock.at = std::chrono::steady_clock::now();
        w->cmdConvert_Click();
    }
    while (!w->cmdConvert->isEnabled())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    const auto ended = std::chrono::steady_clock::now();
    const double toEnd = std::chrono::duration<double>(ended - clock.at).count();
    const bool done = w->lblCurrentTrack->text() == QLatin1String("Done.");
    double toOutputs = watch.secondsSince(clock.at);
    for (int i = 0; toOutputs < 0 && i < 100; ++i) {  // the rename precedes "Done." but give it time
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        toOutputs = watch.secondsSince(clock.at);
    }
    std::printf("%.6f %.6f\n", toOutputs, toEnd);
    if (showSeconds > 0)
        wait(showSeconds * 1000);
    w->cmdExit_Click();
    forms::unloadAll();
    platform::setMessageBoxService(nullptr);
    // A run whose outputs were not all seen in place has no time to its outputs to compare.
    if (toOutputs < 0)
        std::fprintf(stderr, "not every output was seen put in place\n");
    return done && toOutputs >= 0 ? 0 : 1;
}

}  // namespace windowdriver
