// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/IconResources.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <cmath>

namespace {

const QColor kInk(40, 56, 92);
const QColor kAccent(38, 139, 210);
const QColor kWarm(220, 120, 40);

// Every drawing works on a 32 x 32 design grid scaled to the size asked for.
void drawAAA(QPainter& p)
{
    // A quill crossing a sound wave: the product's mark.
    p.setPen(QPen(kAccent, 2.2, Qt::SolidLine, Qt::RoundCap));
    QPainterPath wave;
    wave.moveTo(2, 22);
    for (int x = 2; x <= 30; ++x)
        wave.lineTo(x, 22 - 5 * std::sin((x - 2) / 28.0 * 3 * M_PI) * (1 - std::abs(x - 16) / 16.0));
    p.drawPath(wave);
    QPainterPath quill;
    quill.moveTo(27, 3);
    quill.cubicTo(17, 6, 10, 14, 6, 28);
    quill.cubicTo(14, 20, 22, 14, 27, 3);
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(QColor(250, 250, 245));
    p.drawPath(quill);
    p.drawLine(QPointF(24, 6), QPointF(8, 26));
}

void drawCdMusic(QPainter& p)
{
    p.setPen(QPen(kInk, 1.5));
    p.setBrush(QColor(210, 220, 235));
    p.drawEllipse(QPointF(14, 16), 12, 12);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(14, 16), 3, 3);
    p.setPen(QPen(kAccent, 2));
    p.drawLine(QPointF(26, 8), QPointF(26, 24));
    p.setBrush(kAccent);
    p.drawEllipse(QPointF(23.5, 24), 3, 2.4);
}

void drawColors(QPainter& p)
{
    p.setPen(Qt::NoPen);
    const QColor cs[] = {QColor(220, 50, 47), QColor(133, 153, 0), kAccent, QColor(181, 137, 0)};
    for (int i = 0; i < 4; ++i) {
        p.setBrush(cs[i]);
        p.drawEllipse(QPointF(11 + (i % 2) * 10, 11 + (i / 2) * 10), 7.5, 7.5);
    }
}

void drawCut(QPainter& p)
{
    p.setPen(QPen(kInk, 2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(9, 24), 4.5, 4.5);
    p.drawEllipse(QPointF(23, 24), 4.5, 4.5);
    p.drawLine(QPointF(12, 21), QPointF(24, 3));
    p.drawLine(QPointF(20, 21), QPointF(8, 3));
}

void drawDocument(QPainter& p)
{
    QPainterPath page;
    page.moveTo(6, 2);
    page.lineTo(20, 2);
    page.lineTo(27, 9);
    page.lineTo(27, 30);
    page.lineTo(6, 30);
    page.closeSubpath();
    p.setPen(QPen(kInk, 1.3));
    p.setBrush(Qt::white);
    p.drawPath(page);
    p.drawLine(QPointF(20, 2), QPointF(20, 9));
    p.drawLine(QPointF(20, 9), QPointF(27, 9));
}

void drawDocumentMusic(QPainter& p)
{
    drawDocument(p);
    p.setPen(QPen(kAccent, 2));
    p.drawLine(QPointF(19, 13), QPointF(19, 24));
    p.drawLine(QPointF(19, 13), QPointF(23, 15));
    p.setBrush(kAccent);
    p.drawEllipse(QPointF(16.5, 24), 3, 2.4);
}

void drawDocumentPulse(QPainter& p)
{
    drawDocument(p);
    p.setPen(QPen(kWarm, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const QPointF pts[] = {{9, 20}, {13, 20}, {15, 13}, {18, 26}, {20, 18}, {24, 18}};
    p.drawPolyline(pts, 6);
}

void drawGears(QPainter& p)
{
    auto gear = [&](QPointF c, double r, int teeth) {
        QPainterPath path;
        for (int i = 0; i < teeth * 2; ++i) {
            const double a = i * M_PI / teeth;
            const double rr = (i % 2) ? r : r + 2.5;
            const QPointF pt(c.x() + rr * std::cos(a), c.y() + rr * std::sin(a));
            i ? path.lineTo(pt) : path.moveTo(pt);
        }
        path.closeSubpath();
        path.addEllipse(c, r / 2.5, r / 2.5);
        p.drawPath(path);
    };
    p.setPen(QPen(kInk, 1));
    p.setBrush(QColor(180, 190, 205));
    gear({12, 12}, 7, 8);
    p.setBrush(QColor(150, 165, 185));
    gear({23, 22}, 5, 6);
}

void drawMicrophone(QPainter& p)
{
    p.setPen(QPen(kInk, 1.5));
    p.setBrush(QColor(190, 200, 215));
    p.drawRoundedRect(QRectF(11, 3, 10, 16), 5, 5);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(7, 8, 18, 16), 180 * 16, 180 * 16);
    p.drawLine(QPointF(16, 24), QPointF(16, 29));
    p.drawLine(QPointF(11, 29), QPointF(21, 29));
}

void drawReplace(QPainter& p)
{
    p.setPen(QPen(kAccent, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawArc(QRectF(5, 5, 22, 22), 30 * 16, 150 * 16);
    p.drawLine(QPointF(26, 11), QPointF(26.5, 5));
    p.drawLine(QPointF(26, 11), QPointF(20, 10));
    p.setPen(QPen(kWarm, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawArc(QRectF(5, 5, 22, 22), 210 * 16, 150 * 16);
    p.drawLine(QPointF(6, 21), QPointF(5.5, 27));
    p.drawLine(QPointF(6, 21), QPointF(12, 22));
}

using Painter = void (*)(QPainter&);
struct Entry {
    const char* name;
    Painter paint;
};
const Entry kIcons[] = {
    {"AAA", drawAAA},           {"CD_MUSIC", drawCdMusic},           {"COLORS", drawColors},
    {"CUT", drawCut},           {"DOCUMENT_MUSIC", drawDocumentMusic}, {"DOCUMENT_PULSE", drawDocumentPulse},
    {"GEARS", drawGears},       {"MICROPHONE2", drawMicrophone},     {"REPLACE2", drawReplace},
};

const Entry* find(const QString& name)
{
    for (const Entry& e : kIcons)
        if (name.compare(QLatin1String(e.name), Qt::CaseInsensitive) == 0)
            return &e;
    return nullptr;
}

}  // namespace

QStringList IconResources::names()
{
    QStringList out;
    for (const Entry& e : kIcons)
        out.append(QLatin1String(e.name));
    return out;
}

bool IconResources::exists(const QString& name) { return find(name) != nullptr; }

QImage IconResources::image(const QString& name, int size)
{
    const Entry* e = find(name);
    if (!e || size <= 0)
        return {};
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    e->paint(p);
    return img;
}

QIcon IconResources::icon(const QString& name)
{
    if (!exists(name))
        return {};
    QIcon icon;
    for (int size : {16, 24, 32, 48})
        icon.addPixmap(QPixmap::fromImage(image(name, size)));
    return icon;
}
