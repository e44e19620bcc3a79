// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

#include <QString>

#include <stdexcept>

// An error with the number and source the user is shown, e.g. "Disk full. (61)".
class NumberedError : public std::runtime_error {
public:
    NumberedError(long number, const QString& description, const QString& source = {})
        : std::runtime_error(description.toStdString()), m_number(number), m_source(source)
    {
    }
    long number() const { return m_number; }
    QString description() const { return QString::fromStdString(what()); }
    QString source() const { return m_source; }

private:
    long m_number;
    QString m_source;
};
