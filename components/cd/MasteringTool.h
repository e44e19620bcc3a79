// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// The disc-mastering tool (genisoimage) as a child process: it makes the images the disc
// library cannot (a UDF file system beside ISO 9660). Started without a shell, argument by
// argument, with nothing of this process open in it but the image pipe; its messages are kept
// for the error a failure reports. One object runs one child on the thread that owns it; the
// image's bytes may be read from another thread.

#include <QString>
#include <QStringList>

#include <sys/types.h>

namespace cd {

class MasteringTool {
public:
    MasteringTool() = default;
    ~MasteringTool();
    MasteringTool(const MasteringTool&) = delete;
    MasteringTool& operator=(const MasteringTool&) = delete;

    // The program run: "genisoimage", found on the PATH.
    static QString Program();

    // The bytes of the image these arguments make, asked of the tool; -1 with the reason.
    static qint64 ImageBytes(const QStringList& args, QString* error);

    // Starts the tool writing the image to a pipe this object reads.
    bool Start(const QStringList& args, QString* error);
    // The next bytes of the image: the whole buffer, less only at its end; 0 at the end, -1
    // when the pipe fails.
    int Read(unsigned char* buffer, int size);
    // Waits for the tool to end; true when it ended well, else the reason.
    bool Finish(QString* error);
    // Ends the tool at once (a stopped burn).
    void Kill();

private:
    pid_t m_pid = -1;
    int m_image = -1;     // the pipe's reading end
    int m_messages = -1;  // what the tool wrote to its standard error
};

}  // namespace cd
