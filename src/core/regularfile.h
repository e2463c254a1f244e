#pragma once

#include <QByteArray>
#include <QString>

namespace skywell
{

// A file opened for reading that is known to be a regular file. Opening
// never blocks: a named pipe or a device opens without waiting for a
// writer, and is then refused, as is a folder or a socket. Reads are
// bounded by the caller, so an endless or huge file cannot exhaust memory.
class RegularFile final
{
public:
    explicit RegularFile(const QString &path);
    ~RegularFile();
    RegularFile(const RegularFile &) = delete;
    RegularFile &operator=(const RegularFile &) = delete;

    bool isOpen() const { return m_fd >= 0; }
    // Nothing at all is at the path (not even a symbolic link).
    bool missing() const { return m_missing; }
    // Something is there but it is not a regular file.
    bool notRegular() const { return m_notRegular; }
    // Why the file could not be opened or read, in words.
    QString problem() const { return m_problem; }
    // The size the file had when it was opened.
    qint64 size() const { return m_size; }

    // Reads from the start up to maxBytes bytes (fewer at the end of the
    // file). False, with problem() set, on a read error.
    bool read(qint64 maxBytes, QByteArray *data);

private:
    int m_fd = -1;
    bool m_missing = false;
    bool m_notRegular = false;
    qint64 m_size = 0;
    QString m_problem;
};

// The system's text for an error number.
QString systemErrorText(int error);

} // namespace skywell
