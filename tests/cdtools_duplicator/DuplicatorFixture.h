// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// The duplicator window over image drives (QUILLMERE_DRIVES) or scripted components, with the
// main window loaded as start-up loads it so the tray balloons can be seen.

#include "cdtools/FrmAudioCDDuplicator.h"
#include "components/cd/Disc.h"
#include "components/cd/DriveMap.h"
#include "foundation/FrmTurnOff.h"
#include "mainwindow/cSysTray.h"
#include "tests/cdtools/CDFixture.h"
#include "tests/cdtools_duplicator/DuplicatorFakes.h"
#include "tests/components_cd/BurnFixtures.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QPlainTextEdit>

#include <functional>

// A message box service that lets the test act while a box is up, as its user would.
class ActingBox final : public FakeMessageBox {
public:
    using FakeMessageBox::FakeMessageBox;
    int show(const platform::MessageBoxRequest& request, QWidget* parent) override
    {
        if (onShow)
            onShow(request);
        return FakeMessageBox::show(request, parent);
    }
    std::function<void(const platform::MessageBoxRequest&)> onShow;
};

class DuplicatorTest : public CDFixture {
protected:
    void SetUp() override
    {
        CDFixture::SetUp();
        g_lAppIncDuplicator = 1;
        ProgramOptions.chkNoticeApp = false;
        ProgramOptions.chkOpenDestFolder = false;
        ProgramOptions.chkPlaySound = false;
        ProgramOptions.chkTurnOffComputer = false;
    }
    void TearDown() override
    {
        CDFixture::TearDown();
        g_lAppIncDuplicator = 0;
    }

    // The main window (for its tray balloons), then the duplicator as its command loads it.
    FrmAudioCDDuplicator* open()
    {
        FrmMain* f = loadMain();
        QObject::connect(f->cSysTray1, &cSysTray::BalloonShown, f->cSysTray1,
                         [this](const QString& text, const QString&) { balloons << text; });
        return g_frmAudioCDDuplicator.get();
    }
    // The window on scripted components.
    FrmAudioCDDuplicator* openScripted(ScriptRipper*& ripper, ScriptBurner*& burner, long tracks)
    {
        FrmAudioCDDuplicator* w = open();
        auto r = std::make_unique<ScriptRipper>();
        auto b = std::make_unique<ScriptBurner>();
        ripper = r.get();
        burner = b.get();
        ripper->tracks = tracks;
        w->UseComponents(std::move(r), std::move(b));
        return w;
    }

    static QString tempFolder() { return platform::programFolder() + QStringLiteral("/duptmp/"); }
    static QStringList tempFiles()
    {
        return QDir(tempFolder()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }
    static QStringList logLines(FrmAudioCDDuplicator* w)
    {
        QStringList out;
        for (QString line : w->txtLog->toPlainText().split(QLatin1Char('\n'))) {
            line.remove(QLatin1Char('\r'));
            const int first = int(line.indexOf(QLatin1Char(':')));
            const int second = first < 0 ? -1 : int(line.indexOf(QLatin1Char(':'), first + 1));
            const int third = second < 0 ? -1 : int(line.indexOf(QLatin1Char(':'), second + 1));
            out << (third < 0 ? line : line.mid(third + 1));
        }
        while (!out.isEmpty() && out.last().isEmpty())
            out.removeLast();
        return out;
    }
    static bool waitFor(const std::function<bool()>& done, int ms = 60000) { return burnfixtures::waitUntil(done, ms); }
    static bool idle(FrmAudioCDDuplicator* w) { return !g_frmAudioCDDuplicator.isLoaded() || !w->TaskRunning(); }

    // The tracks of an image drive: first sector and length of each, and their samples.
    struct Toc {
        QList<int> starts, lengths;
        QList<bool> audio;
    };
    static Toc toc(const QString& letter)
    {
        Toc t;
        cd::Drive d;
        if (!cd::FindDrive(letter, &d))
            return t;
        const auto disc = cd::Disc::open(d, nullptr);
        if (!disc)
            return t;
        for (const cd::TrackInfo& i : disc->tracks()) {
            t.starts << i.firstSector;
            t.lengths << i.sectors;
            t.audio << i.audio;
        }
        return t;
    }

    // Selects the writer whose entry begins with `letter`.
    static void chooseWriter(FrmAudioCDDuplicator* w, const QString& letter)
    {
        for (int i = 0; i < w->cboDrv->count(); ++i)
            if (w->cboDrv->itemText(i).startsWith(letter)) {
                w->cboDrv->setCurrentIndex(i);
                w->cboDrv_Click();
            }
    }

    ActingBox acting{platform::vbOK};
    QStringList balloons;
};
