// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// Items-list files for window tests: plain records of source files, as the adding pass writes
// them (audio, whole file), written into a lists folder.

#include "mainwindow/ItemsListFile.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <gtest/gtest.h>

namespace listfixtures {

inline ItemsListRecord plainRecord(const QString& file, const QString& itemName, const QString& mark = QStringLiteral("1"))
{
    ItemsListRecord r;
    r[fldInc] = mark;
    r[fldType] = QStringLiteral("Audio");
    r[fldItemName] = itemName;
    r[fldFile] = file;
    r[fldRangeAll] = QStringLiteral("1");
    return r;
}

// folder/name.flst holding one marked record per source, named by its file name.
inline QString writeListOf(const QString& folder, const QString& name, const QStringList& sources)
{
    QList<ItemsListRecord> records;
    for (const QString& source : sources)
        records << plainRecord(source, QFileInfo(source).fileName());
    const QString path = QDir(folder).filePath(name + QStringLiteral(".flst"));
    EXPECT_TRUE(WriteItemsListFile(path, records));
    return path;
}

}  // namespace listfixtures
