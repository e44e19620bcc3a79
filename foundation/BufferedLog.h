// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QPointer>
#include <QString>
#include <QTimer>

class QPlainTextEdit;

// A log box fed in bursts (a line per entry of a long task, hundreds at a time): each line is
// stamped when it is added, exactly as AddLogLine stamps it, and the lines of a burst reach the
// box in one insertion on the next pass of the event loop, so the box lays out and scrolls once
// per burst rather than once per line. Add() and Flush() keep the order of everything written:
// a caller that writes to the box directly calls Flush() first. GUI thread.
class BufferedLog {
public:
    explicit BufferedLog(QPlainTextEdit* box);

    void Add(const QString& message);
    // Writes what is waiting now.
    void Flush();

private:
    QPointer<QPlainTextEdit> m_box;
    QString m_pending;
    QTimer m_timer;
};
