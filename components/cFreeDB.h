// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QObject>
#include <QString>

#include <memory>

// The CD database look-up: identifies the disc in a drive of the drive map by its table of
// contents and asks a CDDB server (the CDDB protocol, not HTTP) for its entry. GUI thread;
// StartQuery returns at once and the look-up runs on a worker thread. Its results arrive as
// queued events: state texts, then the album's artist and title and one TrackFound per track.
// Whatever ends a look-up early (no disc, no connection, no answer in time, no match, a bad or
// incomplete reply, an entry without a title) is one LookupError with code 2.
class cFreeDB : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~cFreeDB() override = default;

    // The public server every look-up goes to unless QUILLMERE_CDDB_SERVER ("host:port") names
    // another one; what DefaultServerHost/Port answer, and what a new component starts with.
    // A variable that is set but is not host:port never falls back to the public server: the
    // defaults are then empty and 0, IsConnected is false and every look-up fails with
    // ServerVariableError(), so nothing is sent anywhere.
    static constexpr const char* kPublicServer = "gnudb.gnudb.org";
    static constexpr long kPublicPort = 8880;
    static QString DefaultServerHost();
    static long DefaultServerPort();
    static QString ServerVariableError();  // empty unless the variable is malformed

    virtual long Timeout() const = 0;  // seconds
    virtual void Timeout(long seconds) = 0;
    virtual QString ServerHost() const = 0;
    virtual void ServerHost(const QString& host) = 0;
    virtual long ServerPort() const = 0;
    virtual void ServerPort(long port) = 0;
    // The four fields of the protocol's hello.
    virtual QString UserName() const = 0;
    virtual void UserName(const QString& name) = 0;
    virtual QString ClientHost() const = 0;
    virtual void ClientHost(const QString& host) = 0;
    virtual QString ClientName() const = 0;
    virtual void ClientName(const QString& name) = 0;
    virtual QString ClientVersion() const = 0;
    virtual void ClientVersion(const QString& version) = 0;

    // Whether a TCP connection to the server in force can be made (waits at most the timeout,
    // and never more than a few seconds).
    virtual bool IsConnected() const = 0;
    virtual void SelectDrive(const QString& letter) = 0;  // "D:"
    virtual void StartQuery() = 0;
    // Drops the running look-up: nothing of it is raised afterwards.
    virtual void StopQuery() = 0;
    virtual void Release() = 0;

Q_SIGNALS:
    void RequestHide();  // never raised by this implementation; hosts may still handle it
    void LookupError(long code, const QString& text);
    void StateChanged(const QString& text);
    void Message(const QString& text);
    void ArtistFound(const QString& artist);
    void AlbumFound(const QString& album);
    void TrackFound(const QString& artist, int track, const QString& title);
};

std::unique_ptr<cFreeDB> CreateFreeDB();
