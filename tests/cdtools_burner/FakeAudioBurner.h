// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// An audio burner component that does nothing by itself: it answers from a table of drives,
// records every call in order, and the test raises its events.

#include "components/cAudioBurner.h"

#include <QList>
#include <QSet>
#include <QStringList>

class FakeAudioBurner final : public cAudioBurner {
public:
    struct Drive {
        QString name;  // "E: Writer"
        QList<long> speeds;
        long size = 0;
        long capacity = 0;
        QString state;
    };

    long DriveCount() const override { return long(drives.size()); }
    QString DriveName(long i) const override { return i >= 1 && i <= drives.size() ? drives.at(int(i - 1)).name : QString(); }
    long SpeedCount(const QString& letter) override
    {
        calls << QStringLiteral("SpeedCount ") + letter;
        m_current = find(letter);
        return m_current ? long(m_current->speeds.size()) : 0;
    }
    long WriteSpeed(long i) const override { return m_current && i >= 1 && i <= m_current->speeds.size() ? m_current->speeds.at(int(i - 1)) : 0; }
    long DiscSize(const QString& letter) const override { return find(letter) ? find(letter)->size : 0; }
    long DiscCapacity(const QString& letter) const override { return find(letter) ? find(letter)->capacity : 0; }
    QString DiscState(const QString& letter) const override { return find(letter) ? find(letter)->state : QStringLiteral("none"); }
    void OpenTray(const QString& letter) override { calls << QStringLiteral("OpenTray ") + letter; }
    void CloseTray(const QString& letter) override { calls << QStringLiteral("CloseTray ") + letter; }
    QString DriveRootFolder(const QString& letter) const override { return roots.value(letter); }

    bool AddTrack(const QString& path) override
    {
        if (refused.contains(path))
            return false;
        tracks << path;
        return true;
    }
    long TrackCount() const override { return long(tracks.size()); }
    void ClearTracks() override
    {
        calls << QStringLiteral("ClearTracks");
        tracks.clear();
    }
    bool BurnMode() const override { return mode; }
    void BurnMode(bool m) override { mode = m; }
    long Burn(QString& letter, long speed) override
    {
        calls << QStringLiteral("Burn %1 %2 %3").arg(letter).arg(speed).arg(mode ? QStringLiteral("at once") : QStringLiteral("waiting"));
        burned = tracks;
        return 0;
    }
    void Abort() override { calls << QStringLiteral("Abort"); }
    void Shutdown() override { calls << QStringLiteral("Shutdown"); }

    QList<Drive> drives;
    QHash<QString, QString> roots;
    QSet<QString> refused;
    QStringList tracks, burned, calls;
    bool mode = false;

private:
    const Drive* find(const QString& letter) const
    {
        for (const Drive& d : drives)
            if (!letter.isEmpty() && d.name.startsWith(letter))
                return &d;
        return nullptr;
    }
    const Drive* m_current = nullptr;
};
