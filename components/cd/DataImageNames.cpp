// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "components/cd/DataImageNames.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <cstring>

namespace cd {

namespace {

constexpr int kSector = 2048;
// The head of an image kept while the Joliet root is looked for: its folders come before the
// files' data, so a root further in than this is no image of ours.
constexpr int64_t kLongestHead = int64_t(64) << 20;
constexpr int kUdfLatin1Chars = 253;  // 254 bytes of 8-bit characters, the dot not counted
constexpr int kUdfUcs2Chars = 126;    // 127 characters of 16 bits

uint32_t le32(const unsigned char* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

QString numbered(const QString& name, int number, int maxChars)
{
    const QString digits = QString::number(number);
    const int dot = int(name.lastIndexOf(QLatin1Char('.')));
    if (dot > 0 && dot < name.size() - 1) {
        const QString extension = name.mid(dot + 1);
        const int stem = std::max(0, std::min(dot, maxChars - int(extension.size()) - int(digits.size())));
        return name.left(stem) + digits + QLatin1Char('.') + extension;
    }
    return name.left(std::max(0, maxChars - int(digits.size()))) + digits;
}

}  // namespace

bool OutsideJoliet(char32_t c)
{
    return c < 0x20 || c > 0xFFFF || c == U'*' || c == U'/' || c == U':' || c == U';' || c == U'?' || c == U'\\';
}

QString JolietCharacters(const QString& name)
{
    QString out;
    out.reserve(name.size());
    for (const char32_t c : name.toUcs4())
        out += OutsideJoliet(c) ? QChar(u'_') : QChar(char16_t(c));
    return out;
}

QString CutName(const QString& name, int maxChars)
{
    // The dot before an extension does not count; a long name keeps its extension, cut to three
    // characters where the stem is long too.
    const int length = int(name.size());
    const int dot = int(name.lastIndexOf(QLatin1Char('.')));
    if (dot < 0 || dot == length - 1)
        return name.left(maxChars);
    if (length <= maxChars + 1)
        return name;
    const int extension = length - dot - 1;
    const int stem = dot;
    const int keptExtension = extension > 3 ? (stem < maxChars - 3 ? maxChars - stem : 3) : extension;
    return name.left(maxChars - keptExtension) + QLatin1Char('.') + name.mid(dot + 1, keptExtension);
}

namespace {

// The CutName limit that keeps a Joliet name within kJolietNameChars, the dot counted.
int jolietLimit(const QString& chars)
{
    const int dot = int(chars.lastIndexOf(QLatin1Char('.')));
    return dot >= 0 && dot < chars.size() - 1 ? kJolietNameChars - 1 : kJolietNameChars;
}

}  // namespace

QString JolietCut(const QString& jolietCharacters) { return CutName(jolietCharacters, jolietLimit(jolietCharacters)); }

QStringList MasteringToolNames(const QStringList& names, bool joliet)
{
    QStringList fitted;
    QList<int> limits;
    for (const QString& n : names) {
        const QString chars = JolietCharacters(n);
        int limit = jolietLimit(chars);
        if (!joliet)
            limit = std::any_of(chars.begin(), chars.end(), [](QChar c) { return c.unicode() > 0xFF; }) ? kUdfUcs2Chars : kUdfLatin1Chars;
        fitted << CutName(chars, limit);
        limits << limit;
    }
    QHash<QString, int> count;
    for (const QString& f : fitted)
        ++count[f];
    QSet<QString> taken(fitted.begin(), fitted.end());
    QHash<QString, int> next;
    for (int i = 0; i < fitted.size(); ++i) {
        const QString shared = fitted.at(i);
        if (count.value(shared) < 2)
            continue;
        int k = next.value(shared);
        QString candidate;
        do
            candidate = numbered(shared, k++, limits.at(i));
        while (taken.contains(candidate));
        next[shared] = k;
        taken.insert(candidate);
        fitted[i] = candidate;
    }
    return fitted;
}

QString NameNotice(const QString& original, const QString& onDisc, const QString& tree, bool rockRidgeWhole)
{
    const QList<uint> chars = original.toUcs4();
    const bool cut = chars.size() > onDisc.size();
    const bool odd = std::any_of(chars.begin(), chars.end(), [](uint c) { return OutsideJoliet(char32_t(c)); });
    QString why;
    if (cut && odd)
        why = QStringLiteral("is longer than the %1 characters of a %2 name and holds characters that it cannot hold").arg(onDisc.size()).arg(tree);
    else if (cut)
        why = QStringLiteral("is longer than the %1 characters of a %2 name").arg(onDisc.size()).arg(tree);
    else if (odd)
        why = QStringLiteral("holds characters that a %1 name cannot hold").arg(tree);
    else
        why = QStringLiteral("is the same as another name in %1 names").arg(tree);
    const QString what = rockRidgeWhole ? QStringLiteral("readers of %1 names see '%2'; readers of Rock Ridge names see it whole.").arg(tree, onDisc)
                                        : QStringLiteral("the disc holds it as '%1'.").arg(onDisc);
    return QStringLiteral("The name '%1' %2: %3").arg(original, why, what);
}

QList<DiscEntry> ReadJolietFolder(const QByteArray& extent)
{
    QList<DiscEntry> entries;
    const auto* b = reinterpret_cast<const unsigned char*>(extent.constData());
    const int64_t size = extent.size();
    int64_t o = 0;
    while (o < size) {
        const int length = b[o];
        if (length == 0) {  // records never cross a sector: the rest of this one is empty
            o = (o / kSector + 1) * kSector;
            continue;
        }
        if (length < 34 || o + length > size)
            break;
        const int nameBytes = b[o + 32];
        if (33 + nameBytes > length)
            break;
        const unsigned char* name = b + o + 33;
        if (!(nameBytes == 1 && (name[0] == 0 || name[0] == 1))) {
            DiscEntry e;
            for (int i = 0; i + 1 < nameBytes; i += 2)
                e.name += QChar(char16_t(name[i] << 8 | name[i + 1]));
            const int semicolon = int(e.name.lastIndexOf(QLatin1Char(';')));
            if (semicolon >= 0)
                e.name.truncate(semicolon);
            e.sector = le32(b + o + 2);
            e.bytes = le32(b + o + 10);
            e.folder = (b[o + 25] & 2) != 0;
            entries << e;
        }
        o += length;
    }
    return entries;
}

void JolietRootReader::feed(const unsigned char* data, int size)
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_done || size <= 0)
        return;
    m_head.append(reinterpret_cast<const char*>(data), size);
    scan();
}

void JolietRootReader::scan()
{
    while (m_need < 0 && !m_done && int64_t(m_nextDescriptor + 1) * kSector <= m_head.size()) {
        const auto* d = reinterpret_cast<const unsigned char*>(m_head.constData()) + int64_t(m_nextDescriptor) * kSector;
        if (std::memcmp(d + 1, "CD001", 5) != 0 || d[0] == 255) {
            m_done = true;  // no ISO 9660 image, or its descriptors end without a Joliet one
            break;
        }
        if (d[0] == 2 && d[88] == '%' && d[89] == '/' && (d[90] == '@' || d[90] == 'C' || d[90] == 'E')) {
            const unsigned char* root = d + 156;
            m_rootStart = int64_t(le32(root + 2)) * kSector;
            m_rootBytes = le32(root + 10);
            m_need = m_rootStart + m_rootBytes;
            if (m_need > kLongestHead)
                m_done = true;
        }
        ++m_nextDescriptor;
    }
    if (!m_done && m_need >= 0 && m_head.size() >= m_need) {
        m_entries = ReadJolietFolder(m_head.mid(m_rootStart, m_rootBytes));
        m_read = m_done = true;
    }
    if (!m_done && m_head.size() > kLongestHead)
        m_done = true;
    if (m_done) {
        m_head.clear();
        m_head.squeeze();
    }
}

bool JolietRootReader::entries(QList<DiscEntry>* entries) const
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_read)
        *entries = m_entries;
    return m_read;
}

}  // namespace cd
