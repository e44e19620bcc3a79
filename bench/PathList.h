// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// What the drivers share: arguments checked to name paths, the files named in a list file, one
// path a line, and messages printed to the error stream, since nobody is there to answer them.

#include "foundation/NativeNames.h"
#include "platform/MessageBox.h"

#include <QFile>
#include <QStringList>

#include <cstdio>

namespace pathlist {

// Whether every argument reads as a path. A name that is not UTF-8 would be read with U+FFFD in
// its place: a source would not be found, an output would be written under another name. The
// first one that does not is told on the error stream after the driver's name.
inline bool argumentsNamePaths(int argc, char** argv, const char* driver)
{
    for (int i = 1; i < argc; ++i) {
        QString text;
        if (!PathFromArgument(QByteArray(argv[i]), &text)) {
            std::fprintf(stderr, "%s: %s\n", driver, UnnamablePathText(text).toUtf8().constData());
            return false;
        }
    }
    return true;
}

// The paths in `file`; false, with a line on the error stream, when it cannot be read.
inline bool read(const char* file, QStringList* paths)
{
    QFile list(QFile::decodeName(file));
    if (!list.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", file);
        return false;
    }
    for (const QByteArray& line : list.readAll().split('\n'))
        if (!line.isEmpty())
            *paths << QFile::decodeName(line);
    return true;
}

// Prints every message and gives it `answer`.
class PrintedMessages final : public platform::MessageBoxService {
public:
    explicit PrintedMessages(int answer) : m_answer(answer) {}
    int show(const platform::MessageBoxRequest& request, QWidget*) override
    {
        std::fprintf(stderr, "%s\n", request.prompt.toLocal8Bit().constData());
        return m_answer;
    }

private:
    int m_answer;
};

}  // namespace pathlist
