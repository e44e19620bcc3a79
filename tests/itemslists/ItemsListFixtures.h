// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// Shared pieces of the items-list tests: a scripted probe in place of the converter, a grid with
// the item columns, and small source files made in a temporary folder.

#include "components/cGrid.h"
#include "itemsgrid/GridColumns.h"
#include "itemsgrid/ItemRow.h"
#include "mainwindow/ItemsListFile.h"
#include "mainwindow/ItemsListLoader.h"
#include "tests/support/ListFixtures.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

// Answers for files it knows: duration and tags; any other file fails to open.
class FakeProbe : public ItemProbe {
public:
    struct Source {
        long durationMs = 0;
        QString album, artist, comment, genre, year, title, track;
    };
    QHash<QString, Source> sources;
    QString open;
    int opens = 0;
    int closes = 0;
    Source tags;

    long OpenSource(const QString& path) override
    {
        ++opens;
        if (!sources.contains(path))
            return 1;
        open = path;
        return 0;
    }
    long SourceDuration() override { return sources.value(open).durationMs; }
    void CloseSource() override
    {
        ++closes;
        open.clear();
    }
    QString FormatTime(long s) override
    {
        return QStringLiteral("%1:%2:%3").arg(s / 3600).arg((s / 60) % 60, 2, 10, QLatin1Char('0')).arg(s % 60, 2, 10, QLatin1Char('0'));
    }
    void ReadSourceTags(const QString& path) override { tags = sources.value(path); }
    QString TagAlbum() override { return tags.album; }
    QString TagArtist() override { return tags.artist; }
    QString TagComment() override { return tags.comment; }
    QString TagGenre() override { return tags.genre; }
    QString TagYear() override { return tags.year; }
    QString TagTitle() override { return tags.title; }
    QString TagTrack() override { return tags.track; }
};

inline void writeBytes(const QString& path, const QByteArray& data)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
}

inline QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A grid with the nineteen item columns, as the main window sets it up.
inline std::unique_ptr<cGrid> makeItemGrid()
{
    auto grid = std::make_unique<cGrid>();
    SetItemGridColumns(*grid, nullptr);
    return grid;
}

inline QString cell(cGrid& grid, long row, const QString& key) { return grid.Cell(row, grid.ColumnIndex(key)).Text(); }
inline long icon(cGrid& grid, long row, const QString& key) { return grid.Cell(row, grid.ColumnIndex(key)).Icon(); }

// A record with every field set, so that a lost or swapped field shows.
inline ItemsListRecord sampleRecord(const QString& file, const QString& name, const QString& mark = QStringLiteral("1"))
{
    ItemsListRecord r;
    r[fldInc] = mark;
    r[fldType] = QStringLiteral("Audio");
    r[fldItemName] = name;
    r[fldFile] = file;
    r[fldRangeAll] = QStringLiteral("1");
    r[fldTagAlbum] = name + QStringLiteral(" album");
    r[fldTagArtist] = name + QStringLiteral(" artist");
    r[fldTagComment] = name + QStringLiteral(" comment");
    r[fldTagGenre] = QStringLiteral("Blues");
    r[fldTagYear] = QStringLiteral("1999");
    r[fldTagTitle] = name + QStringLiteral(" title");
    r[fldTagTrack] = QStringLiteral("7");
    return r;
}
