// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "batchtools/AcmCodecLists.h"

#include "components/cAudioConverter.h"

#include <QComboBox>
#include <QSignalBlocker>

void AcmCodecLists::ListAtLoad(cAudioConverter& converter)
{
    m_tags->clear();
    m_formats->clear();
    converter.EnumAcmTags(kPcmTag, 44100, 2, 16, kAllTags);
    ChooseTag(converter);
}

void AcmCodecLists::ListForSource(cAudioConverter& converter, const QString& choice)
{
    m_tags->clear();
    m_formats->clear();
    if (choice == AllCodecsEntry()) {
        converter.EnumAcmTags(kPcmTag, converter.SourceSampleRate(), converter.SourceChannels(), converter.SourceBits(),
                              kAllTags);
    } else {
        // A file that cannot be opened is not reported: the converter's facts stand as they are.
        converter.OpenSource(choice);
        converter.EnumAcmTags(kPcmTag, converter.SourceSampleRate(), converter.SourceChannels(), converter.SourceBits(),
                              kConvertible);
    }
    ChooseTag(converter);
}

void AcmCodecLists::ChooseTag(cAudioConverter& converter)
{
    if (m_tags->count() == 0)
        return;
    // The list box selects its first entry by itself as names arrive; only "PCM" is chosen.
    const QSignalBlocker quiet(m_tags);
    m_tags->setCurrentIndex(m_tags->findText(QStringLiteral("PCM"), Qt::MatchExactly | Qt::MatchCaseSensitive));
    ListFormats(converter);
}

void AcmCodecLists::ListFormats(cAudioConverter& converter)
{
    m_formats->clear();
    converter.EnumAcmFormats(m_tags->currentText());
    const QSignalBlocker quiet(m_formats);
    m_formats->setCurrentIndex(m_formats->count() > 0 ? 0 : -1);
}

void AcmCodecLists::TagFound(const QString& name)
{
    const QSignalBlocker quiet(m_tags);
    m_tags->addItem(name);
}

void AcmCodecLists::FormatFound(const QString& name)
{
    const QSignalBlocker quiet(m_formats);
    m_formats->addItem(name);
}
