// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QString>

class QComboBox;
class cAudioConverter;

// The two codec lists of the ACM converter window: the tags (codecs) the converter reports for
// a source description, and the formats of the chosen tag. The converter raises TagFound and
// FormatFound before its listing call returns; the window hands each name to TagFound and
// FormatFound here. Names are shown as reported and never parsed. GUI thread; the boxes and
// the converter belong to the window.
class AcmCodecLists {
public:
    static constexpr long kAllTags = 0;
    // Only what a source of the given format converts to.
    static constexpr long kConvertible = 0x00100000;
    static constexpr long kPcmTag = 1;

    AcmCodecLists(QComboBox* tags, QComboBox* formats) : m_tags(tags), m_formats(formats) {}

    // The first listing, before any source is chosen: every tag of 44100 Hz, 2-channel,
    // 16-bit PCM.
    void ListAtLoad(cAudioConverter& converter);
    // A choice in the source list: "All ACM Codecs" lists every tag for the facts of the source
    // the converter opened last; a file path opens that file and lists what it converts to.
    void ListForSource(cAudioConverter& converter, const QString& choice);
    // After every tag listing: "PCM" when the list has it (else nothing), then its formats.
    void ChooseTag(cAudioConverter& converter);
    // The formats of the tag shown now, the first one selected.
    void ListFormats(cAudioConverter& converter);

    void TagFound(const QString& name);
    void FormatFound(const QString& name);

    static QString AllCodecsEntry() { return QStringLiteral("All ACM Codecs"); }

private:
    QComboBox* m_tags;
    QComboBox* m_formats;
};
