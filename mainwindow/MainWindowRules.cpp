// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "mainwindow/MainWindowRules.h"

#include <QColor>

TrayToggleResult TrayToggle(MainWindowState state, bool inTray)
{
    switch (state) {
    case MainWindowState::Minimised:
        if (inTray)
            return {true, true, QStringLiteral("Hide"), false};
        return {true, false, QStringLiteral("Show"), true};
    case MainWindowState::Normal:
        return {true, false, QStringLiteral("Show"), true};
    case MainWindowState::Maximised:
        break;
    }
    return {};
}

QString NotesStatusText(bool exists, const QString& text)
{
    const QString empty = QStringLiteral("Notes [ Empty ]");
    if (!exists || text.isEmpty() || text == QLatin1String("\r\n"))
        return empty;
    QString flat = text;
    flat.replace(QLatin1String("\r\n"), QLatin1String(" "));
    if (flat.size() <= 36)
        return QStringLiteral("Notes [ ") + flat + QStringLiteral(" ]");
    return QStringLiteral("Notes [ ") + flat.left(35) + QStringLiteral("...") + QStringLiteral(" ]");
}

void GetTypeIcon(const QString& sType, long& index)
{
    if (sType == QLatin1String("Audio"))
        index = 3;
    else if (sType == QLatin1String("Data"))
        index = 4;
    else
        index = 0;
}

QColor ColorFromBgr(long bgr)
{
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF), static_cast<int>((bgr >> 16) & 0xFF));
}
