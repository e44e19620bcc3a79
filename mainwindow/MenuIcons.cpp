// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "mainwindow/MenuIcons.h"

#include "components/cImageList.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStandardPaths>

namespace {

struct Named {
    int index;
    const char* name;
};

QStringList themeRoots()
{
    QStringList roots;
    const QStringList dataDirs = QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
    for (const QString& d : dataDirs)
        roots.append(QDir(d).filePath(QStringLiteral("icons/breeze")));
    roots.append(QStringLiteral("/usr/share/icons/breeze"));
    roots.removeDuplicates();
    return roots;
}

// An icon drawn at 16, 24 and 32 pixels; `paint` gets an antialiased painter and the size.
template <class Paint>
QIcon paintedIcon(Paint paint)
{
    QIcon icon;
    for (int size : {16, 24, 32}) {
        QPixmap px(size, size);
        px.fill(Qt::transparent);
        QPainter p(&px);
        p.setRenderHint(QPainter::Antialiasing);
        paint(p, size);
        p.end();
        icon.addPixmap(px);
    }
    return icon;
}

// A stand-in for a missing theme picture: a soft tile with the first letter of its name.
QIcon drawnStandIn(const QString& name)
{
    return paintedIcon([&](QPainter& p, int size) {
        p.setPen(QPen(QColor(40, 56, 92), size / 16.0));
        p.setBrush(QColor(214, 228, 245));
        p.drawRoundedRect(QRectF(1, 1, size - 2, size - 2), size / 5.0, size / 5.0);
        QFont f = p.font();
        f.setPixelSize(size * 5 / 8);
        f.setBold(true);
        p.setFont(f);
        p.drawText(QRect(0, 0, size, size), Qt::AlignCenter, name.left(1).toUpper());
    });
}

QIcon themed(const char* name)
{
    const QIcon icon = BreezeIcon(QString::fromLatin1(name));
    return icon.isNull() ? drawnStandIn(QString::fromLatin1(name)) : icon;
}

void fill(cImageList& list, std::initializer_list<Named> names)
{
    for (const Named& n : names)
        list.Set(n.index, themed(n.name));
}

// The mark boxes of the grid: an empty box, and the same box ticked.
QIcon markBox(bool ticked)
{
    return paintedIcon([&](QPainter& p, int size) {
        p.scale(size / 16.0, size / 16.0);
        p.setPen(QPen(ticked ? QColor(38, 139, 210) : QColor(130, 138, 150), 1.1));
        p.setBrush(ticked ? QColor(38, 139, 210) : QColor(Qt::white));
        p.drawRoundedRect(QRectF(2.5, 2.5, 11, 11), 2.2, 2.2);
        if (ticked) {
            QPainterPath tick;
            tick.moveTo(4.8, 8.2);
            tick.lineTo(7.1, 10.6);
            tick.lineTo(11.4, 5.4);
            p.setPen(QPen(Qt::white, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.setBrush(Qt::NoBrush);
            p.drawPath(tick);
        }
    });
}

// The row types of the grid: an audio file (a note on a blue tile) and a CD data track (a disc).
QIcon typeIcon(bool audio)
{
    return paintedIcon([&](QPainter& p, int size) {
        p.scale(size / 16.0, size / 16.0);
        if (audio) {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(61, 142, 214));
            p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 3, 3);
            p.setPen(QPen(Qt::white, 1.4, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(9.6, 4.2), QPointF(9.6, 10.6));
            p.drawLine(QPointF(9.6, 4.2), QPointF(12.0, 5.4));
            p.setBrush(Qt::white);
            p.setPen(Qt::NoPen);
            p.drawEllipse(QPointF(7.9, 10.9), 2.1, 1.7);
        } else {
            p.setPen(QPen(QColor(90, 98, 110), 0.9));
            p.setBrush(QColor(200, 208, 220));
            p.drawEllipse(QPointF(8, 8), 6.5, 6.5);
            p.setBrush(Qt::white);
            p.drawEllipse(QPointF(8, 8), 1.8, 1.8);
        }
    });
}

}  // namespace

QIcon BreezeIcon(const QString& name)
{
    static const char* const kCategories[] = {"actions", "devices", "mimetypes", "status", "places", "apps", "preferences"};
    static const int kSizes[] = {16, 22, 24, 32, 48};
    QIcon icon;
    for (const QString& root : themeRoots()) {
        for (const char* category : kCategories) {
            for (int size : kSizes) {
                const QString file = QStringLiteral("%1/%2/%3/%4.svg").arg(root, QLatin1String(category)).arg(size).arg(name);
                if (QFileInfo::exists(file))
                    icon.addFile(file, QSize(size, size));
            }
            if (!icon.isNull())
                return icon;
        }
    }
    return icon;
}

void FillMenuImages(cImageList& img)
{
    fill(img, {
                  {0, "go-up"},
                  {1, "go-down"},
                  {2, "list-add"},
                  {3, "list-remove"},
                  {4, "document-open-folder"},
                  {5, "document-save-as"},
                  {6, "tag"},
                  {7, "document-export"},
                  {8, "document-edit"},
                  {9, "configure"},
                  {10, "view-calendar-upcoming-events"},
                  {11, "view-preview"},
                  {12, "help-contents"},
                  {18, "tag"},
                  {19, "tools-wizard"},
                  {22, "help-about"},
                  {23, "player-time"},
                  {25, "media-optical-audio"},
                  {27, "edit-clear-list"},
                  {32, "edit-rename"},
                  {38, "media-playback-start"},
                  {39, "view-media-playlist"},
                  {40, "media-playback-stop"},
                  {41, "media-playback-stop"},
                  {45, "window"},
                  {47, "dialog-information"},
                  {48, "document-new"},
                  {49, "edit-rename"},
                  {50, "edit-delete"},
                  {51, "document-properties"},
                  {53, "window-keep-above"},
                  {55, "media-playback-start"},
                  {59, "settings-configure"},
                  {60, "document-export"},
                  {61, "media-playlist-shuffle"},
                  {62, "view-statistics"},
                  {63, "edit-cut"},
                  {64, "merge"},
                  {67, "media-playback-pause"},
                  {68, "zoom-in"},
                  {70, "media-record"},
                  {72, "tools-media-optical-burn"},
                  {73, "tools-media-optical-burn"},
                  {74, "edit-select-all"},
                  {76, "window-minimize"},
                  {77, "arrow-down-double"},
                  {78, "application-exit"},
                  {79, "audio-volume-high"},
                  {80, "go-top"},
                  {81, "go-bottom"},
                  {82, "text-speak"},
                  {83, "tools-media-optical-copy"},
                  {84, "media-playback-start"},
              });
}

void FillGridImages(cImageList& img)
{
    img.Set(0, markBox(false));
    img.Set(1, markBox(true));
    img.Set(3, typeIcon(true));
    img.Set(4, typeIcon(false));
}

void FillPlayerImages(cImageList& img)
{
    fill(img, {{0, "media-playback-start"}, {1, "media-playback-pause"}, {2, "media-playback-stop"}});
}

void FillGeneralImages(cImageList& img)
{
    fill(img, {
                  {19, "document-export"},
                  {20, "view-statistics"},
                  {21, "media-playlist-shuffle"},
                  {22, "edit-cut"},
                  {23, "merge"},
                  {24, "media-record"},
                  {25, "media-optical-audio"},
                  {26, "tools-media-optical-burn"},
                  {27, "tools-media-optical-burn"},
                  {28, "text-speak"},
                  {29, "tools-media-optical-copy"},
              });
}
