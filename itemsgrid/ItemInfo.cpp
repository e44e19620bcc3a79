// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "itemsgrid/ItemInfo.h"

#include "components/cAudioConverter.h"
#include "components/cGrid.h"
#include "foundation/mdlFunctions.h"
#include "itemsgrid/ItemRow.h"

AudioFacts ProbeAudioFacts(cAudioConverter& converter, const QString& path)
{
    AudioFacts f;
    if (path.isEmpty() || converter.OpenSource(path) != 0) {
        converter.CloseSource();
        return f;
    }
    f.readable = true;
    f.sampleRate = converter.SourceSampleRate();
    f.bits = converter.SourceBits();
    f.channels = converter.SourceChannels();
    converter.CloseSource();
    return f;
}

QString SamplesText(const AudioFacts& facts) { return facts.readable ? QString::number(facts.sampleRate) : QString(); }
QString BitsText(const AudioFacts& facts) { return facts.readable ? QString::number(facts.bits) : QString(); }

QString ChannelsText(const AudioFacts& facts)
{
    if (!facts.readable)
        return {};
    return facts.channels == 1 ? QStringLiteral("MONO") : QStringLiteral("STEREO");
}

QString FormatText(const QString& path) { return GetExtFromName(path).toUpper(); }

bool FillItemInfoGrid(cGrid& items, cGrid& info, cAudioConverter& converter)
{
    info.Clear();
    if (items.Rows() == 0)
        return false;
    info.Redraw(false);
    const long row = items.CurrentRow();
    auto cellText = [&](const QString& key) {
        const long col = items.ColumnIndex(key);
        return col > 0 && row >= 1 && row <= items.Rows() ? items.Cell(row, col).Text() : QString();
    };
    const QString path = cellText(COL_FILE);
    const AudioFacts facts = ProbeAudioFacts(converter, path);

    const QString rows[9][2] = {
        {QStringLiteral("File Name"), cellText(ItemRow::COL_ITEM_NAME)},
        {QStringLiteral("Total Time"), cellText(ItemRow::COL_TIME)},
        {QStringLiteral("File Size"), cellText(ItemRow::COL_SIZE)},
        {QStringLiteral("Created"), cellText(ItemRow::COL_CREATED)},
        {QStringLiteral("Format"), FormatText(path)},
        {QStringLiteral("Samples"), SamplesText(facts)},
        {QStringLiteral("Bitrate"), BitsText(facts)},
        {QStringLiteral("Channels"), ChannelsText(facts)},
        {QStringLiteral("Item"), row >= 1 ? QString::number(row) : QString()},
    };
    for (long i = 0; i < 9; ++i) {
        info.SetCell(i + 1, 1, rows[i][0]);
        info.SetCell(i + 1, 2, rows[i][1]);
    }
    info.Redraw(true);
    return true;
}
