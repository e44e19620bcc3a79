// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "foundation/RegistryRoutines.h"
#include "foundation/mdlModes.h"
#include "platform/EndSound.h"
#include "platform/RegistryHive.h"
#include "platform/Shell.h"
#include "settings/MainWindowLink.h"
#include "settings/ProgramOptions.h"
#include "tests/support/FakeFileDialogs.h"
#include "tests/support/FakeMessageBox.h"
#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QEvent>

#include <QFile>
#include <QStringList>
#include <QtEndian>

#include <cmath>

#include <gtest/gtest.h>

// Writes a 16-bit PCM WAV file of a 441 Hz tone; returns its path.
inline QString writeToneWav(const QString& path, int rate, int channels, int frames)
{
    QByteArray pcm;
    for (int i = 0; i < frames; ++i) {
        const auto s = static_cast<qint16>(8000 * std::sin(2 * M_PI * 441.0 * i / rate));
        for (int c = 0; c < channels; ++c) {
            char b[2];
            qToLittleEndian<qint16>(s, b);
            pcm.append(b, 2);
        }
    }
    QByteArray wav("RIFF");
    const auto u32 = [&wav](quint32 v) { char b[4]; qToLittleEndian<quint32>(v, b); wav.append(b, 4); };
    const auto u16 = [&wav](quint16 v) { char b[2]; qToLittleEndian<quint16>(v, b); wav.append(b, 2); };
    u32(36 + pcm.size());
    wav.append("WAVEfmt ");
    u32(16); u16(1); u16(channels); u32(rate); u32(rate * 2 * channels); u16(2 * channels); u16(16);
    wav.append("data");
    u32(pcm.size());
    wav.append(pcm);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(wav);
    return path;
}

// Records what the settings windows ask of the end-of-task sound.
class FakeEndSound : public platform::EndSoundService {
public:
    FakeEndSound() { platform::setEndSoundService(this); }
    ~FakeEndSound() override { platform::setEndSoundService(nullptr); }
    void play(const QString& path) override { played.append(path); }
    void stop() override { ++stops; }
    QStringList played;
    int stops = 0;
};

// Records the calls the settings windows make into the main window.
class FakeMainWindowLink : public MainWindowLink {
public:
    FakeMainWindowLink() { setMainWindowLink(this); }
    ~FakeMainWindowLink() override { setMainWindowLink(nullptr); }
    void ListsFolderChanged() override { calls.append(QStringLiteral("ListsFolderChanged")); }
    void Relayout() override { calls.append(QStringLiteral("Relayout")); }
    void SetGridHotTrack(bool on) override { calls.append(QStringLiteral("HotTrack %1").arg(on)); }
    void SetGridLines(bool on) override { calls.append(QStringLiteral("GridLines %1").arg(on)); }
    void SetTitleBackColor(int32_t c) override { calls.append(QStringLiteral("TitleBack %1").arg(c)); }
    void SetTitleTextColor(int32_t c) override { calls.append(QStringLiteral("TitleText %1").arg(c)); }
    void SetGraphColor(int which, int32_t c) override { calls.append(QStringLiteral("Graph%1 %2").arg(which).arg(c)); }
    QStringList calls;
};

// Records programs started and things opened instead of running them.
class RecordingShell : public platform::ShellService {
public:
    RecordingShell() { platform::setShellService(this); }
    ~RecordingShell() override { platform::setShellService(nullptr); }
    bool open(const QString& target) override
    {
        opened.append(target);
        return true;
    }
    bool startProgram(const QString& program, const QStringList& arguments, const QString&) override
    {
        started.append(QStringList{program} + arguments);
        return true;
    }
    QStringList opened;
    QList<QStringList> started;
};

// A fresh settings store with the settings key and every section, empty, and empty user folders.
class SettingsTest : public testing::Test {
protected:
    void SetUp() override
    {
        testenv::wipeUserFolders();
        InitProductConfig();
        hives = platform::useMemoryRegistry();
        for (const char* s : {"General", "Events", "ID3 Tags", "Display", "Formats\\WAV", "Formats\\ACM",
                              "Formats\\MP3", "Formats\\WMA", "Formats\\OGG", "Formats\\APE"})
            hives.first->createKey(SettingsKeyRoot() + QLatin1Char('\\') + QString::fromLatin1(s));
        g_bMainUnloading = false;
        ProgramOptions = ProgramOptionsData();
    }
    void TearDown() override { g_bMainUnloading = false; }

    void put(const QString& section, const QString& name, const QString& text)
    {
        RegistryRoutines r;
        r.hkey(platform::HKEY_LOCAL_MACHINE);
        r.KeyRoot(SettingsKeyRoot());
        r.Subkey(section);
        ASSERT_TRUE(r.SetRegistryValue(name, text, platform::REG_SZ)) << qPrintable(section + "\\" + name);
    }
    QVariant get(const QString& section, const QString& name) const
    {
        RegistryRoutines r;
        r.hkey(platform::HKEY_LOCAL_MACHINE);
        r.KeyRoot(SettingsKeyRoot());
        r.Subkey(section);
        return r.GetRegistryValue(name);
    }
    void dropSection(const QString& section)
    {
        hives.first->deleteKey(SettingsKeyRoot() + QLatin1Char('\\') + section);
    }

    QPair<platform::MemoryHive*, platform::MemoryHive*> hives;
    FakeMessageBox messages;
    FakeFileDialogs dialogs;
    FakeEndSound sound;
    FakeMainWindowLink mainLink;
    RecordingShell shell;
};
