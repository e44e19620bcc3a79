// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
// Reads arbitrary bytes as a CD database entry for discs of several sizes, as reply lines and as
// a query's match.
#include "components/cd/CddbEntry.h"
#include "fuzz/FuzzFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (const int tracks : {0, 1, 3, 99}) {
        const cd::CddbEntry entry = cd::ParseCddbEntry(bytes, tracks);
        fuzz::check(entry.tracks.size() == tracks);
        // Nothing of a line's end survives into a name a rip may take as a file name.
        fuzz::check(!entry.title.contains(QLatin1Char('\n')) && !entry.artist.contains(QLatin1Char('\n')));
        for (const cd::CddbTrack& t : entry.tracks)
            fuzz::check(!t.title.contains(QLatin1Char('\n')) && !t.artist.contains(QLatin1Char('\n')));
    }
    fuzz::check(cd::DecodeCddbLine(bytes).size() <= bytes.size());
    // A match names a word of letters and eight hex digits, or is no match at all.
    QByteArray category, entryId;
    if (cd::ParseCddbMatch(bytes, &category, &entryId)) {
        fuzz::check(!category.isEmpty() && entryId.size() == 8);
        fuzz::check(!category.contains(' ') && !category.contains('\n') && !entryId.contains(' '));
    }
    return 0;
}
