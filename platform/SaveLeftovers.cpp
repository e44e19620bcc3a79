// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "platform/SaveLeftovers.h"

namespace platform {

bool IsSaveLeftoverName(const QString& name, const QString& fileName)
{
    constexpr qsizetype kLetters = 6;
    if (name.size() != fileName.size() + 1 + kLetters || !name.startsWith(fileName) || name.at(fileName.size()) != u'.')
        return false;
    int upper = 0;
    bool restLower = true;
    for (qsizetype i = fileName.size() + 1; i < name.size(); ++i) {
        const char16_t c = name.at(i).unicode();
        const bool isUpper = c >= u'A' && c <= u'Z';
        if (!isUpper && !(c >= u'a' && c <= u'z'))
            return false;
        upper += isUpper ? 1 : 0;
        if (i > fileName.size() + 1 && isUpper)
            restLower = false;
    }
    const bool wordLike = upper == 0 || upper == kLetters || (restLower && upper == 1);
    return !wordLike;
}

}  // namespace platform
