// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "components/sound/SoundOutput.h"

#include <QByteArray>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace sound {

// A bounded byte ring between one producer thread (a decoder) and an output that pulls it on
// the GUI thread. The producer blocks while the ring is full, so memory stays flat however long
// the stream is.
class PcmRing final : public PcmSource {
public:
    explicit PcmRing(qint64 capacityBytes);

    // Appends all bytes, waiting while the ring is full; false when `cancelled` said so before
    // everything was written.
    bool write(const char* data, qint64 bytes, const std::function<bool()>& cancelled);
    // Nothing more will be written.
    void setEnd();
    // Empties the ring and forgets the end.
    void clear();

    qint64 readPcm(char* data, qint64 maxBytes) override;
    qint64 bytesReady() const override;
    bool atEnd() const override;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_space;
    QByteArray m_buffer;
    qint64 m_read = 0;   // bytes read so far
    qint64 m_write = 0;  // bytes written so far
    bool m_end = false;
};

}  // namespace sound
