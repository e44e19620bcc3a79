// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include "components/cAudioCDRipper.h"

#include <QList>
#include <QStringList>

// A ripper over a scripted disc: one drive, its tracks' lengths, and the number of track
// queries after which the disc is gone (-1: never). Rips are not its business.
class FakeRipper final : public cAudioCDRipper {
public:
    QStringList names{QStringLiteral("D: fake")};
    QList<long> seconds;
    int vanishAfter = -1;

    long DeviceCount() const override { return names.size(); }
    QString DeviceName(long i) const override { return names.value(int(i)); }
    bool SelectDevice(long i) override { return i >= 0 && i < names.size(); }
    bool IsAudioCD() const override { return !gone() && !seconds.isEmpty(); }
    long TrackCount() const override { return gone() ? 0 : seconds.size(); }
    long TrackSeconds(long t) const override
    {
        ++m_queries;
        return gone() ? 0 : seconds.value(int(t - 1));
    }
    long TrackType(long) const override { return 1; }
    bool OpenTray() override { return true; }
    bool CloseTray() override { return true; }
    long DeviceIndex() const override { return 0; }
    void DeviceIndex(long) override {}
    long TrackNumber() const override { return 1; }
    void TrackNumber(long) override {}
    long RangeStart() const override { return -1; }
    void RangeStart(long) override {}
    long RangeLength() const override { return -1; }
    void RangeLength(long) override {}
    QString OutputFile() const override { return {}; }
    void OutputFile(const QString&) override {}
    long DestinationFormat() const override { return 1; }
    void DestinationFormat(long) override {}
    void SetWavFormat(const engine::WavFormatRecord&) override {}
    void SetAcmFormat(const QString&, const QString&) override {}
    void SetMp3Format(const engine::Mp3FormatRecord&) override {}
    void SetWmaFormat(const engine::WmaFormatRecord&) override {}
    void SetOggFormat(const engine::OggFormatRecord&) override {}
    void SetApeLevel(long) override {}
    QString TagTrack() const override { return {}; }
    void TagTrack(const QString&) override {}
    QString TagComment() const override { return {}; }
    void TagComment(const QString&) override {}
    QString TagGenre() const override { return {}; }
    void TagGenre(const QString&) override {}
    QString TagYear() const override { return {}; }
    void TagYear(const QString&) override {}
    QString TagArtist() const override { return {}; }
    void TagArtist(const QString&) override {}
    QString TagAlbum() const override { return {}; }
    void TagAlbum(const QString&) override {}
    QString TagTitle() const override { return {}; }
    void TagTitle(const QString&) override {}
    void Rip() override {}
    void Abort() override {}
    void Shutdown() override {}

private:
    bool gone() const { return vanishAfter >= 0 && m_queries >= vanishAfter; }
    mutable int m_queries = 0;
};
