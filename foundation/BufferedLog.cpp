// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/BufferedLog.h"

#include "foundation/mdlFunctions.h"

#include <QPlainTextEdit>

#include <utility>

BufferedLog::BufferedLog(QPlainTextEdit* box) : m_box(box)
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(0);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { Flush(); });
}

void BufferedLog::Add(const QString& message)
{
    m_pending += LogLineText(message);
    if (!m_timer.isActive())
        m_timer.start();
}

void BufferedLog::Flush()
{
    m_timer.stop();
    if (m_pending.isEmpty())
        return;
    const QString text = std::exchange(m_pending, QString());
    AppendLogText(text, m_box);
}
