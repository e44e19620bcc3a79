// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QFrame>
#include <QString>

#include <vector>

// A rebar: a strip of bands, each holding one child control (a toolbar) with a key and an
// optional text, laid out left to right. GUI thread.
class cReBar : public QFrame {
    Q_OBJECT
public:
    explicit cReBar(QWidget* parent = nullptr);

    // Adds `child` as a band; returns its number from 1.
    long AddBandByHwnd(QWidget* child, const QString& text, const QString& key);
    long BandCount() const { return static_cast<long>(m_bands.size()); }
    QString BandKey(long band) const;
    QWidget* BandChild(const QString& key) const;

private:
    struct Band {
        QWidget* child;
        QString text;
        QString key;
    };
    std::vector<Band> m_bands;
};
