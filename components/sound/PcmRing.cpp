// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/sound/PcmRing.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace sound {

PcmRing::PcmRing(qint64 capacityBytes) : m_buffer(static_cast<qsizetype>(std::max<qint64>(capacityBytes, 4096)), '\0') {}

bool PcmRing::write(const char* data, qint64 bytes, const std::function<bool()>& cancelled)
{
    const qint64 size = m_buffer.size();
    while (bytes > 0) {
        std::unique_lock lock(m_mutex);
        while (m_write - m_read >= size) {
            if (cancelled && cancelled())
                return false;
            m_space.wait_for(lock, std::chrono::milliseconds(20));
        }
        const qint64 free = size - (m_write - m_read);
        const qint64 at = m_write % size;
        const qint64 part = std::min({bytes, free, size - at});
        std::memcpy(m_buffer.data() + at, data, static_cast<size_t>(part));
        m_write += part;
        data += part;
        bytes -= part;
    }
    return true;
}

void PcmRing::setEnd()
{
    std::lock_guard lock(m_mutex);
    m_end = true;
}

void PcmRing::clear()
{
    std::lock_guard lock(m_mutex);
    m_read = m_write = 0;
    m_end = false;
    m_space.notify_all();
}

qint64 PcmRing::readPcm(char* data, qint64 maxBytes)
{
    std::lock_guard lock(m_mutex);
    const qint64 size = m_buffer.size();
    qint64 n = std::min(maxBytes, m_write - m_read);
    const qint64 total = n;
    while (n > 0) {
        const qint64 at = m_read % size;
        const qint64 part = std::min(n, size - at);
        std::memcpy(data, m_buffer.constData() + at, static_cast<size_t>(part));
        m_read += part;
        data += part;
        n -= part;
    }
    if (total > 0)
        m_space.notify_all();
    return total;
}

qint64 PcmRing::bytesReady() const
{
    std::lock_guard lock(m_mutex);
    return m_write - m_read;
}

bool PcmRing::atEnd() const
{
    std::lock_guard lock(m_mutex);
    return m_end;
}

}  // namespace sound
