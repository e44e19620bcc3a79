// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

// What the drivers that add files share: the files named in a list file, one path a line, and
// messages printed to the error stream, since nobody is there to answer them.

#include "platform/MessageBox.h"

#include <QFile>
#include <QStringList>

#include <cstdio>

namespace pathlist {

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
