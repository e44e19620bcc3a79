// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// Items-list files for window tests: plain records of source files, as the adding pass writes
// them (audio, whole file), written into a lists folder.

#include "mainwindow/ItemsListFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <gtest/gtest.h>

#include <sys/stat.h>

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

// The file's identity on its disk (0 when missing). A save writes the list beside the file and
// renames it over, so a saved list has a new one even when its bytes are the same; tests see a
// save this way rather than by spoiling the file, which the window would rightly refuse to
// overwrite.
inline quint64 fileIdentity(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? quint64(st.st_ino) : 0;
}

// A list file of the records, written as the program saves a list (over whatever the file
// holds now). True when written.
inline bool writeList(const QString& path, const QList<ItemsListRecord>& records)
{
    return SaveItemsListBytes(path, ComposeItemsListBytes(records), ReadItemsListData(path).stamp, nullptr, nullptr) ==
           ItemsListSaveStatus::Saved;
}

// folder/name.flst holding one marked record per source, named by its file name.
inline QString writeListOf(const QString& folder, const QString& name, const QStringList& sources)
{
    QList<ItemsListRecord> records;
    for (const QString& source : sources)
        records << plainRecord(source, QFileInfo(source).fileName());
    const QString path = QDir(folder).filePath(name + QStringLiteral(".flst"));
    EXPECT_TRUE(writeList(path, records));
    return path;
}

}  // namespace listfixtures
