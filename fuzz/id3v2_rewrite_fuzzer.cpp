// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// Read-modify-write on a copy of arbitrary bytes: whatever the input, the write may only put a
// new tag in front of the content that followed the old tag, never alter that content, and the
// file must read back with the new texts and no other year.
#include "fuzz/FuzzFile.h"
#include "foundation/NumberedError.h"
#include "tags/lib/cMP3ID3v2.h"

namespace {

qsizetype tagLength(const QByteArray& file)
{
    fuzz::check(file.startsWith("ID3") && file.size() >= 10);
    const auto b = [&](int i) { return uint32_t(uint8_t(file[i])); };
    return 10 + ((b(6) << 21) | (b(7) << 14) | (b(8) << 7) | b(9));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = fuzz::scratchFile(QStringLiteral("input.mp3"));
    // A known tail stands for the audio and an ID3v1 record; both must survive every write.
    const QByteArray original = QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)) +
                                QByteArray("\xFF\xFB\x90\x64-audio-tail-", 17) + "TAG" + QByteArray(125, 'v');
    fuzz::writeFile(path, original);
    cMP3ID3v2 tag;
    tag.MP3File(path);
    tag.Title(QStringLiteral("fuzz title"));
    tag.Comment(QString::fromUtf8("c\u00e9 \u65e5"));
    tag.Year(QStringLiteral("1999"));
    try {
        tag.Update();
    } catch (const NumberedError&) {
        // A write may be refused (a tag that could not be read through, a frame id the input
        // made too short, ...), but a refused write leaves the file as it was.
        fuzz::check(fuzz::readFile(path) == original);
        return 0;
    }
    const QByteArray after = fuzz::readFile(path);
    const qsizetype n = tagLength(after);
    fuzz::check(n <= after.size());
    const QByteArray rest = after.mid(n);
    fuzz::check(original.endsWith(rest));
    if (!original.startsWith("ID3"))
        fuzz::check(rest == original);

    cMP3ID3v2 back;
    back.MP3File(path);
    fuzz::check(back.Title() == QStringLiteral("fuzz title"));
    fuzz::check(back.Comment() == QString::fromUtf8("c\u00e9 \u65e5"));
    // The year set is the only one: no recording time of another tagger is left beside it.
    fuzz::check(back.Year() == QStringLiteral("1999"));
    fuzz::check(back.TagsInFrame(QStringLiteral("TDRC")) == 0);

    // A second write of the same frames goes in place: the tag in front is now our own.
    try {
        tag.Update();
    } catch (const NumberedError&) {
        fuzz::check(false);
    }
    fuzz::check(fuzz::readFile(path).size() == after.size());
    return 0;
}
