// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/engine/AsfTags.h"

#include "components/engine/WavFile.h"

#include <QFile>

#include <cstring>
#include <vector>

namespace engine {

namespace {

// Object identifiers as they are stored (the first three fields little-endian).
const uint8_t kHeaderGuid[16] = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                 0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
const uint8_t kFilePropertiesGuid[16] = {0xA1, 0xDC, 0xAB, 0x8C, 0x47, 0xA9, 0xCF, 0x11,
                                         0x8E, 0xE4, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
const uint8_t kContentDescriptionGuid[16] = {0x33, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                             0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
const uint8_t kExtendedContentGuid[16] = {0x40, 0xA4, 0xD0, 0xD2, 0x07, 0xE3, 0xD2, 0x11,
                                          0x97, 0xF0, 0x00, 0xA0, 0xC9, 0x5E, 0xA8, 0x50};

uint64_t le(const uint8_t* p, int bytes)
{
    uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = v << 8 | p[i];
    return v;
}

void putLe(uint8_t* p, uint64_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        p[i] = uint8_t(v >> (8 * i));
}

bool fail(QString* error, const QString& why)
{
    if (error)
        *error = why;
    return false;
}

}  // namespace

bool RemoveRepeatedAsfTags(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return fail(error, file.errorString());
    const QByteArray head = file.read(30);
    if (head.size() < 30 || memcmp(head.constData(), kHeaderGuid, 16) != 0)
        return true;  // not ASF: nothing to do
    const uint64_t headerSize = le(reinterpret_cast<const uint8_t*>(head.constData()) + 16, 8);
    if (headerSize < 30 || headerSize > uint64_t(file.size()) || headerSize > (64u << 20))
        return true;
    file.seek(0);
    QByteArray headerBytes = file.read(qint64(headerSize));
    std::vector<uint8_t> header(headerBytes.begin(), headerBytes.end());

    // Which names the content description object carries (a name with an empty text is absent).
    bool described[5] = {};
    size_t extendedAt = 0, filePropertiesAt = 0;
    for (size_t pos = 30; pos + 24 <= header.size();) {
        const uint64_t size = le(&header[pos + 16], 8);
        if (size < 24 || pos + size > header.size())
            return true;  // not what the muxer writes: leave it as it is
        if (memcmp(&header[pos], kContentDescriptionGuid, 16) == 0 && size >= 34)
            for (int i = 0; i < 5; ++i)
                described[i] = le(&header[pos + 24 + 2 * i], 2) > 2;  // more than the terminating zero
        else if (memcmp(&header[pos], kExtendedContentGuid, 16) == 0)
            extendedAt = pos;
        else if (memcmp(&header[pos], kFilePropertiesGuid, 16) == 0)
            filePropertiesAt = pos;
        pos += size_t(size);
    }
    if (!extendedAt)
        return true;

    // Rebuild the extended content description without the names described already.
    static const char* const kDescribed[5] = {"title", "author", "copyright", "description", "rating"};
    const uint64_t oldSize = le(&header[extendedAt + 16], 8);
    const size_t end = extendedAt + size_t(oldSize);
    std::vector<uint8_t> kept;
    int keptCount = 0;
    const int count = int(le(&header[extendedAt + 24], 2));
    size_t p = extendedAt + 26;
    for (int i = 0; i < count; ++i) {
        if (p + 2 > end)
            return true;
        const size_t nameBytes = size_t(le(&header[p], 2));
        if (p + 2 + nameBytes + 4 > end)
            return true;
        const size_t valueBytes = size_t(le(&header[p + 2 + nameBytes + 2], 2));
        const size_t entry = 2 + nameBytes + 4 + valueBytes;
        if (p + entry > end)
            return true;
        QString name = QString::fromUtf16(reinterpret_cast<const char16_t*>(&header[p + 2]), qsizetype(nameBytes / 2));
        while (name.endsWith(QChar(0)))
            name.chop(1);
        bool repeated = false;
        for (int k = 0; k < 5; ++k)
            repeated = repeated || (described[k] && name.compare(QLatin1String(kDescribed[k]), Qt::CaseInsensitive) == 0);
        if (!repeated) {
            kept.insert(kept.end(), header.begin() + long(p), header.begin() + long(p + entry));
            ++keptCount;
        }
        p += entry;
    }
    if (keptCount == count)
        return true;

    std::vector<uint8_t> object(26);
    memcpy(object.data(), kExtendedContentGuid, 16);
    object.insert(object.end(), kept.begin(), kept.end());
    putLe(&object[16], object.size(), 8);
    putLe(&object[24], uint64_t(keptCount), 2);
    int objects = int(le(&header[24], 4));
    if (keptCount == 0) {
        object.clear();
        --objects;
    }
    const int64_t shrink = int64_t(oldSize) - int64_t(object.size());
    std::vector<uint8_t> rebuilt(header.begin(), header.begin() + long(extendedAt));
    rebuilt.insert(rebuilt.end(), object.begin(), object.end());
    rebuilt.insert(rebuilt.end(), header.begin() + long(end), header.end());
    putLe(&rebuilt[16], rebuilt.size(), 8);
    putLe(&rebuilt[24], uint64_t(objects), 4);
    const int64_t newFileSize = file.size() - shrink;
    if (filePropertiesAt && filePropertiesAt < extendedAt && filePropertiesAt + 48 <= rebuilt.size())
        putLe(&rebuilt[filePropertiesAt + 40], uint64_t(newFileSize), 8);
    else if (filePropertiesAt > extendedAt && filePropertiesAt - size_t(shrink) + 48 <= rebuilt.size())
        putLe(&rebuilt[filePropertiesAt - size_t(shrink) + 40], uint64_t(newFileSize), 8);

    // The data after the header moves forward by what the header lost, in place.
    std::vector<char> buffer(1 << 20);
    int64_t from = int64_t(headerSize), to = int64_t(rebuilt.size());
    for (;;) {
        if (!file.seek(from))
            return fail(error, file.errorString());
        const qint64 n = file.read(buffer.data(), qint64(buffer.size()));
        if (n < 0)
            return fail(error, file.errorString());
        if (n == 0)
            break;
        if (!file.seek(to) || file.write(buffer.data(), n) != n)
            return fail(error, file.errorString());
        from += n;
        to += n;
    }
    if (!file.seek(0) ||
        file.write(reinterpret_cast<const char*>(rebuilt.data()), qint64(rebuilt.size())) != qint64(rebuilt.size()) ||
        !file.flush() || !file.resize(newFileSize))
        return fail(error, file.errorString());
    file.close();
    return true;
}

}  // namespace engine
