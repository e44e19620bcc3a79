// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// The joiner window opened over the main window's marked rows, with the hand-over written as
// the "Audio Joiner" command writes it, a scripted join component and the end-of-task services
// replaced by recording doubles.

#include "batchtools/FrmJoiner.h"
#include "batchtools/cProgressBar.h"
#include "commands/ToolWindows.h"
#include "components/cAudioJoin.h"
#include "foundation/mdlFunctions.h"
#include "mainwindow/cSysTray.h"
#include "platform/EndSound.h"
#include "tests/itemsgrid/ItemWindowFixture.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

// A join component that does nothing by itself: it records what the window hands it, and the
// test raises its events.
class FakeJoin final : public cAudioJoin {
public:
    struct Entry {
        QString path;
        long start;
        long length;
        bool operator==(const Entry&) const = default;
    };
    long DestinationFormat() const override { return code; }
    void DestinationFormat(long c) override { code = c; }
    void SetWavFormat(const engine::WavFormatRecord&) override { settingsCalls << QStringLiteral("wav"); }
    void SetAcmFormat(const QString&, const QString&) override { settingsCalls << QStringLiteral("acm"); }
    void SetMp3Format(const engine::Mp3FormatRecord&) override { settingsCalls << QStringLiteral("mp3"); }
    void SetWmaFormat(const engine::WmaFormatRecord&) override { settingsCalls << QStringLiteral("wma"); }
    void SetOggFormat(const engine::OggFormatRecord&) override { settingsCalls << QStringLiteral("ogg"); }
    void SetApeLevel(long) override { settingsCalls << QStringLiteral("ape"); }
    QString TagTrack() const override { return track; }
    void TagTrack(const QString& t) override { track = t; }
    QString TagComment() const override { return comment; }
    void TagComment(const QString& t) override { comment = t; }
    QString TagGenre() const override { return genre; }
    void TagGenre(const QString& t) override { genre = t; }
    QString TagYear() const override { return year; }
    void TagYear(const QString& t) override { year = t; }
    QString TagArtist() const override { return artist; }
    void TagArtist(const QString& t) override { artist = t; }
    QString TagAlbum() const override { return album; }
    void TagAlbum(const QString& t) override { album = t; }
    QString TagTitle() const override { return title; }
    void TagTitle(const QString& t) override { title = t; }
    long FileCount() const override { return static_cast<long>(entries.size()); }
    void RemoveFile(long index) override
    {
        if (index >= 1 && index <= FileCount())
            entries.removeAt(index - 1);
    }
    void AddFile(const QString& path, long start, long length) override { entries.append({path, start, length}); }
    QString GetFile(long index, long& start, long& length) const override
    {
        if (index < 1 || index > FileCount()) {
            start = length = -1;
            return {};
        }
        const Entry& e = entries.at(index - 1);
        start = e.start;
        length = e.length;
        return e.path;
    }
    QString OutputFile() const override { return output; }
    void OutputFile(const QString& path) override { output = path; }
    void Join() override { ++joins; }
    void Abort() override { calls << QStringLiteral("Abort"); }
    void Stop() override { calls << QStringLiteral("Stop"); }
    void Shutdown() override { calls << QStringLiteral("Shutdown"); }

    long code = 0;
    QStringList settingsCalls;
    QString track, comment, genre, year, artist, album, title;
    QList<Entry> entries;
    QString output;
    int joins = 0;
    QStringList calls;
};

// An end sound that records what it was asked to play.
class FakeEndSound final : public platform::EndSoundService {
public:
    explicit FakeEndSound(QStringList* order = nullptr) : m_order(order) { platform::setEndSoundService(this); }
    ~FakeEndSound() override { platform::setEndSoundService(nullptr); }
    void play(const QString& path) override
    {
        played << path;
        if (m_order)
            *m_order << QStringLiteral("sound");
    }
    void stop() override {}
    QStringList played;

private:
    QStringList* m_order;
};

class JoinerTest : public ItemWindowTest {
protected:
    void SetUp() override
    {
        ItemWindowTest::SetUp();
        ProgramOptions.chkNoticeApp = false;
        ProgramOptions.chkOpenDestFolder = false;
        ProgramOptions.chkPlaySound = false;
        ProgramOptions.chkTurnOffComputer = false;
        outFolder = QDir(platform::programFolder()).filePath(QStringLiteral("Out"));
        QDir().mkpath(outFolder);
    }

    // The main window on a list of `count` one-second WAV files, all marked, and the joiner
    // filled from it as the command does.
    FrmJoiner* openJoiner(int count, int seconds = 1)
    {
        QStringList sources;
        for (int i = 1; i <= count; ++i)
            sources << makeWav(QStringLiteral("src%1.wav").arg(i), fixtures::Pcm{}, seconds);
        makeListOf(QStringLiteral("Songs"), sources);
        FrmMain* f = openMain();
        if (!f || f->cGrid1->Rows() != count)
            return nullptr;
        connect(f);
        return fill(*f);
    }

    FrmJoiner* fill(FrmMain& f)
    {
        FrmJoiner* j = g_frmJoiner.get();
        ToolWindow& h = j->HandOver();
        h.lblFilesToConvert(QString::number(f.GetMarkedCount()) + QStringLiteral(" items to join."));
        h.StatusPanelText(QStringLiteral("Total Size"), QStringLiteral("Total Time: 0:00:03"));
        h.StatusPanelText(QStringLiteral("Total Time"), QStringLiteral("Total Size: 1 KB"));
        h.txtUndeForlder(QStringLiteral("Songs"));
        f.CopyGridRows(*f.cGrid1, *h.Grid(), true);
        j->txtToPath->setEditText(outFolder + QLatin1Char('/'));
        return j;
    }

    // Puts a scripted component in the window.
    FakeJoin* fake(FrmJoiner* j)
    {
        auto owned = std::make_unique<FakeJoin>();
        FakeJoin* raw = owned.get();
        j->UseJoinComponent(std::move(owned));
        return raw;
    }

    void connect(FrmMain* f)
    {
        QObject::connect(f->cSysTray1, &cSysTray::BalloonShown, f->cSysTray1,
                         [this](const QString& text, const QString& title) { balloons << text + QLatin1Char('|') + title; });
    }

    // The log's messages without their times.
    static QStringList logLines(FrmJoiner* j)
    {
        QStringList out;
        const QStringList lines = j->txtLog->toPlainText().split(QLatin1Char('\n'));
        for (QString line : lines) {
            line.remove(QLatin1Char('\r'));
            // "14:05:09:message": the time of day has two colons of its own.
            const int first = line.indexOf(QLatin1Char(':'));
            const int second = first < 0 ? -1 : line.indexOf(QLatin1Char(':'), first + 1);
            const int third = second < 0 ? -1 : line.indexOf(QLatin1Char(':'), second + 1);
            out << (third < 0 ? line : line.mid(third + 1));
        }
        while (!out.isEmpty() && out.last().isEmpty())
            out.removeLast();
        return out;
    }

    static QString gridCell(FrmJoiner* j, long row, const QString& key)
    {
        return j->cGrid1->Cell(row, j->cGrid1->ColumnIndex(key)).Text();
    }
    static void setGridCell(FrmJoiner* j, long row, const QString& key, const QString& text)
    {
        j->cGrid1->Cell(row, j->cGrid1->ColumnIndex(key)).Text(text);
    }

    QString outFolder;
    QStringList balloons;
};
