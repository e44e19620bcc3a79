// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <memory>

namespace sound {

struct InputDevice {
    QByteArray id;        // the server's name of the source
    QString description;  // as the user knows it
    int channels = 0;
    bool operator==(const InputDevice&) const = default;
};

// The sound server's inputs (its sources, the sinks' monitors left out), kept up to date over a
// connection of its own as the server announces sources that come and go: Qt's list does not
// follow them. A server that goes away empties the list, and the connection is made again
// until it is back. `changed` arrives queued on the owner's thread whenever the list differs.
// The first list is read before the constructor returns (a few seconds at most on a server
// that does not answer).
class InputList final : public QObject {
    Q_OBJECT
public:
    explicit InputList(QObject* parent = nullptr);
    ~InputList() override;

    // In the order the server made them.
    QList<InputDevice> inputs() const;
    // A server that was away is asked at once instead of at the next retry (a few seconds at
    // most); a connected list is left as it is.
    void reconnectIfAway();

signals:
    void changed();

private:
    struct Private;
    std::unique_ptr<Private> d;
};

}  // namespace sound
