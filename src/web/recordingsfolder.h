#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace skywell
{

// The files the web page may serve: the recordings folder's own audio files
// and playlists, found by listing the folder. A name from a request is only
// ever looked up in that list, never joined to the folder as a path.
class RecordingsFolder final
{
public:
    explicit RecordingsFolder(QString folder) : m_folder(std::move(folder)) {}

    // File names (no paths), hidden files and folders left out.
    QStringList list() const;
    // Opens a listed file for reading; -1 when the name is not listed, or is
    // a link leading out of the folder, or is not a regular file. size
    // receives its length.
    int open(const QString &name, qint64 *size) const;
    // Deletes a listed file; false when it is not listed or cannot go.
    bool remove(const QString &name) const;

    static QByteArray mimeType(const QString &name);

private:
    QString resolve(const QString &name) const;

    QString m_folder;
};

// One byte range of a file of the given size, from a "Range" header.
struct ByteRange {
    enum Kind { Whole, Part, Unsatisfiable } kind = Whole;
    qint64 offset = 0;
    qint64 length = 0;
};
// A missing, malformed or multi-part header asks for the whole file.
ByteRange parseByteRange(const QByteArray &header, qint64 size);

} // namespace skywell
