// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "components/cWave.h"
#include "tests/sound/SoundFixtures.h"

#include <QFile>
#include <QtEndian>

#include <gtest/gtest.h>

namespace takes {

// The number of the listed device of `kind` whose id is `id` (one of the private server's), and
// its name; -1 when it is not listed.
inline long deviceNumber(cWave& wave, long kind, const char* id, QString* name = nullptr)
{
    long found = -1;
    for (long i = 0; i < wave.GetDeviceCount(kind); ++i) {
        cWave::WaveDeviceCaps caps;
        if (wave.GetDeviceCaps(i, caps, kind) == 0 && caps.szId == QLatin1String(id)) {
            found = i;
            if (name)
                *name = caps.szPname;
        }
    }
    return found;
}

// The take at `path` is a whole 16-bit stereo WAV (its header's sizes are the file's) holding
// exactly the counted frames 0 to frames - 1, in order.
inline ::testing::AssertionResult holdsCountedFrames(const QString& path, qint64 frames)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return ::testing::AssertionFailure() << "the take is not in place";
    const QByteArray b = f.readAll();
    if (b.size() < 44 || b.left(4) != "RIFF")
        return ::testing::AssertionFailure() << "no WAV header (" << b.size() << " bytes)";
    const quint32 dataBytes = qFromLittleEndian<quint32>(b.constData() + 40);
    if (qFromLittleEndian<quint32>(b.constData() + 4) != dataBytes + 36)
        return ::testing::AssertionFailure() << "the RIFF size does not match the data size " << dataBytes;
    if (b.size() != 44 + static_cast<qint64>(dataBytes))
        return ::testing::AssertionFailure() << "the file holds " << b.size() << " bytes, the header declares "
                                             << 44 + static_cast<qint64>(dataBytes);
    const std::vector<qint64> heard = soundfx::heardNumbers(b.mid(44));
    if (static_cast<qint64>(heard.size()) != frames)
        return ::testing::AssertionFailure() << heard.size() << " frames, " << frames << " fed";
    for (qint64 i = 0; i < frames; ++i)
        if (heard[static_cast<size_t>(i)] != i)
            return ::testing::AssertionFailure() << "frame " << i << " holds " << heard[static_cast<size_t>(i)];
    return ::testing::AssertionSuccess();
}

}  // namespace takes
