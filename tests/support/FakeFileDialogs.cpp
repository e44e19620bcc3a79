// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "tests/support/FakeFileDialogs.h"

FakeFileDialogs::FakeFileDialogs() { platform::setFileDialogService(this); }

FakeFileDialogs::~FakeFileDialogs()
{
    if (&platform::fileDialogs() == this)
        platform::setFileDialogService(nullptr);
}

std::optional<QStringList> FakeFileDialogs::openFiles(const platform::FileDialogRequest& request, QWidget* parent)
{
    requests << request;
    parents << parent;
    return m_open.isEmpty() ? std::nullopt : m_open.dequeue();
}

std::optional<QString> FakeFileDialogs::saveFile(const platform::FileDialogRequest& request, QWidget* parent)
{
    requests << request;
    parents << parent;
    return m_save.isEmpty() ? std::nullopt : m_save.dequeue();
}

std::optional<QString> FakeFileDialogs::browseFolder(const platform::FileDialogRequest& request, QWidget* parent)
{
    requests << request;
    parents << parent;
    return m_folder.isEmpty() ? std::nullopt : m_folder.dequeue();
}

void FakeFileDialogs::chooseColour(const QColor& colour, const QList<QColor>& customColoursAfter)
{
    m_colour.enqueue({colour, customColoursAfter});
}

std::optional<QColor> FakeFileDialogs::chooseColor(platform::ColorDialogRequest& request, QWidget* parent)
{
    colourRequests << request;
    parents << parent;
    if (m_colour.isEmpty())
        return std::nullopt;
    const ColourAnswer answer = m_colour.dequeue();
    for (int i = 0; i < answer.customAfter.size() && i < request.customColours.size(); ++i)
        request.customColours[i] = answer.customAfter.at(i);
    return answer.colour;
}
