// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "tags/lib/cMP3ID3v1.h"
#include "tags/lib/cMP3ID3v2.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

// What the tag editor's boxes hold, box by box.
struct MP3TagFields {
    QString txtArtist, txtTitle, txtAlbum, txtYear, txtDescription, txtTrackNum;
    QString txtOriginalArtist, txtURL, txtEncodedBy, txtCopyright, txtLyric;
    QString genreText;   // the genre box's text
    int genreIndex = 0;  // the selected genre entry; 0 is the empty entry
};

struct GenreEntry {
    QString name;
    uint8_t code;
};

// The rules of the MP3 tag editor window without its widgets: which tags a version choice reads
// and writes, filling the boxes from the tags, resolving the genre box and writing the boxes
// back. Owns the two tag objects for the life of the window. GUI thread.
class MP3TagsEditorPresenter {
public:
    MP3TagsEditorPresenter();

    // The empty entry (code 255), then every named genre in code order.
    static std::vector<GenreEntry> GenreList();
    // The entry the genre box text stands for: the first with exactly that name, else the first
    // whose name contains the text (case-sensitive), else 0. An empty text gives 0.
    static int ResolveGenre(const QString& text, const std::vector<GenreEntry>& list);

    // Sets the read and write flags for a version index (0 "ID3 v1", 1 "ID3 v2", 2 "ID3 v1+v2")
    // and returns the tabs to show, in order.
    QStringList VersionChanged(int index);

    // The boxes after reading `path` with the current flags. Tag errors are swallowed: the boxes
    // then show what was read before the failure.
    MP3TagFields ReadTags(const QString& path);

    struct ApplyError {
        long number;
        QString description;
        QString file;              // the file the write was for
        bool fileGone = false;     // it was not there: nothing was written, nothing created
        bool fileChanged = false;  // it may no longer hold what it held before the Apply
    };
    // Resolves the genre in `fields` (index and text; a text no entry matches stays, with entry
    // 0, and is written as the ID3v2 genre text), then writes the ID3v1 record and the
    // ID3v2 tag as the flags say, into the file the tag objects read last. Stops at the first
    // error and returns it; the file then holds both tags as they were (what was written
    // before the error is put back), unless the error says it changed.
    std::optional<ApplyError> Apply(MP3TagFields& fields);
    // The message box text of an error: its description and number, then what became of the file.
    static QString ErrorText(const ApplyError& error);

    bool readV1() const { return m_bReadV1; }
    bool readV2() const { return m_bReadV2; }
    bool writeV1() const { return m_bWriteV1; }
    bool writeV2() const { return m_bWriteV2; }
    const std::vector<GenreEntry>& genres() const { return m_genres; }

private:
    cMP3ID3v1& v1();
    cMP3ID3v2& v2();

    std::unique_ptr<cMP3ID3v1> m_cID3v1;
    std::unique_ptr<cMP3ID3v2> m_cID3v2;
    bool m_bReadV1 = false, m_bWriteV1 = false, m_bReadV2 = false, m_bWriteV2 = false;
    std::vector<GenreEntry> m_genres;
};
