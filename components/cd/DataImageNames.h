// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// The names a data disc holds for its files, and a reader of the names an image really holds.
// A Joliet name is UCS-2: characters beyond it and the few Joliet forbids become "_"; a long
// name is cut before its extension, as both mastering back ends cut. A UDF name holds 254
// characters of Latin-1 or 126 of UCS-2 (and the dot). Plain functions, any thread.

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <mutex>

namespace cd {

// The longest Joliet leaf name written here, the dot before an extension counted, whichever
// back end makes the image.
constexpr int kJolietNameChars = 103;

// Characters a Joliet (and this program's UDF) name cannot hold.
bool OutsideJoliet(char32_t c);

// `name` with every character a Joliet name cannot hold as "_", one for each character.
QString JolietCharacters(const QString& name);

// A name of at most `maxChars` characters beside the dot before its extension: a long name
// keeps its extension, cut to three characters where the stem is long too.
QString CutName(const QString& name, int maxChars);

// A name of Joliet characters cut to kJolietNameChars, the dot before an extension counted.
QString JolietCut(const QString& jolietCharacters);

// The names a disc holds for files of these names, one for each, all different: Joliet
// characters only, cut by JolietCut when `joliet`, else to a UDF name; names that the cut made
// the same are numbered from 0 at the end of their stems. The disc-mastering tool is given
// these names, and the library's Joliet tree holds them too.
QStringList MasteringToolNames(const QStringList& names, bool joliet);

// The log sentence for a file of the name `original` that a disc holds as `onDisc` in its
// `tree` ("Joliet" or "UDF") names. `rockRidgeWhole`: the Rock Ridge names keep it whole.
QString NameNotice(const QString& original, const QString& onDisc, const QString& tree, bool rockRidgeWhole);

// An entry of a directory of the image.
struct DiscEntry {
    QString name;      // without the ";1" version
    int64_t sector = 0;
    int64_t bytes = 0;
    bool folder = false;
};

// Reads the root folder of the Joliet tree from an image's first bytes as they are written,
// and forgets them once it has it. Fed from the writer's thread, read from any.
class JolietRootReader {
public:
    // The next bytes of the image, in order.
    void feed(const unsigned char* data, int size);
    // True once the root folder has been read; `entries` then holds it, files and folders.
    bool entries(QList<DiscEntry>* entries) const;

private:
    void scan();

    mutable std::mutex m_lock;
    QByteArray m_head;
    int64_t m_need = -1;       // bytes up to the end of the Joliet root folder, once known
    int64_t m_rootStart = 0, m_rootBytes = 0;
    int m_nextDescriptor = 16;
    bool m_done = false, m_read = false;
    QList<DiscEntry> m_entries;
};

// The Joliet root folder's entries of a directory extent.
QList<DiscEntry> ReadJolietFolder(const QByteArray& extent);

}  // namespace cd
