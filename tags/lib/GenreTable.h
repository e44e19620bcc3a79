// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QString>

// The genre names of ID3 tags, codes 0 to 147 without 123, spelled as the program shows them.
// Any other code (123, 148 to 255; 255 means "no genre") has the empty name.
QString Id3GenreName(int code);
