// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// Reads arbitrary bytes as an MP3 file through both tag classes and encodes what was read.
#include "fuzz/FuzzFile.h"
#include "foundation/NumberedError.h"
#include "tags/lib/cMP3ID3v1.h"
#include "tags/lib/cMP3ID3v2.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = fuzz::scratchFile(QStringLiteral("input.mp3"));
    fuzz::writeFile(path, QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    try {
        cMP3ID3v2 tag;
        tag.MP3File(path);
        qsizetype total = tag.Title().size() + tag.Artist().size() + tag.Album().size() + tag.Comment().size() +
                          tag.Lyrics().size() + tag.LinkTo().size() + tag.OtherGenreName().size() + tag.Track().size();
        for (long i = 1; i <= tag.FrameCount(); ++i)
            total += tag.TagsInFrame(tag.Frame(i));
        const QByteArray rebuilt = tag.BuildTagBuffer();
        fuzz::check(rebuilt.size() >= 14 && total >= 0);
    } catch (const NumberedError&) {
        // Short frame ids refuse to be written; reading raises only open errors.
    }
    cMP3ID3v1 v1;
    v1.MP3File(path);
    fuzz::check(v1.Title().size() <= 30);
    return 0;
}
