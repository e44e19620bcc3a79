// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QIcon>
#include <QImage>
#include <QString>
#include <QStringList>

// The program's own icon groups, drawn in code at each size asked for, so no binary artwork is
// kept. Names match without regard to case; an unknown name gives a null icon / image.
class IconResources {
public:
    static QStringList names();
    static bool exists(const QString& name);
    static QImage image(const QString& name, int size);
    static QIcon icon(const QString& name);  // 16, 24, 32 and 48 pixels
};
