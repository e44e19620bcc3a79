// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "components/engine/AudioEngine.h"

#include <QString>

// A plain PCM WAV file written as a stream: the header goes out first with empty sizes, the
// samples are appended straight to the file (no buffer of our own, so what write() accepted is
// on the file), updateHeader() brings the sizes up to date meanwhile, and finish() writes the real sizes (cutting the data first when asked), so a
// recording stopped at any moment is a valid file. A write that fails part-way (a full disk)
// keeps what reached the file; finish() then declares exactly the whole frames there and cuts
// the rest. The data chunk is kept below 4 GiB: room() says how many bytes still fit. One
// thread at a time; owned by its user.
class PcmWavFile {
public:
    ~PcmWavFile() { close(); }

    // `shownName` is the file that messages name (the target the user chose, not the hidden
    // file written meanwhile).
    bool open(const QString& path, const QString& shownName, const engine::PcmFormat& format, QString* error);
    bool isOpen() const { return m_fd >= 0; }
    // Appends whole frames; false with the system's reason.
    bool write(const char* data, qint64 bytes, QString* error);
    qint64 dataBytes() const { return m_dataBytes; }
    // Writes the sizes of the whole frames on the file into its header and starts writing the
    // file out to the disk (without waiting), so that a process killed, or a computer that loses
    // its power, leaves a valid WAV file of what was written up to here.
    bool updateHeader(QString* error);
    qint64 room() const;
    // Keeps the first `keepBytes` sample bytes (all when negative or larger), writes the sizes
    // and closes the file.
    bool finish(qint64 keepBytes, QString* error);
    void close();

    // The 44-byte header of a PCM WAV file holding `dataBytes` sample bytes.
    static QByteArray header(const engine::PcmFormat& format, quint32 dataBytes);

private:
    QString failure(int code) const;

    int m_fd = -1;
    QString m_shown;
    engine::PcmFormat m_format;
    qint64 m_dataBytes = 0;  // sample bytes on the file, whole frames or not
};
