// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

class QComboBox;

// The output formats in their fixed order; the index is the format's number in the lists, the
// converter's destination type is index + 1. A format is offered when its flag is exactly 1.
inline long g_lDestWAV = 0;
inline long g_lDestACM = 0;
inline long g_lDestMP3 = 0;
inline long g_lDestWMA = 0;
inline long g_lDestOGG = 0;
inline long g_lDestAPE = 0;

// The list texts of all six formats, by index.
QStringList DestinationFormatTexts();
// Sets the six flags to this build's values.
void InitDestinationFormats();
// InitDestinationFormats, then replaces the combo's list with the texts of the enabled formats.
void FillDestinationFormats(QComboBox* cbo);
// The format index from a list text's first three letters (any case); 0 (WAV) for anything else.
uint8_t GetDestinationFormatIndex(const QString& sText);
