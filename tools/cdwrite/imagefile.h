#pragma once

#include <QByteArray>
#include <QString>

namespace skywell::cdwrite
{

// An image file written beside its final name ("<path>.part") and renamed
// into place only when every byte reached the disk. Each failure keeps the
// system's reason; a file that is not committed is removed.
class ImageFile final
{
public:
    explicit ImageFile(QString path);
    ~ImageFile();
    ImageFile(const ImageFile &) = delete;
    ImageFile &operator=(const ImageFile &) = delete;

    bool open();
    bool write(const QByteArray &bytes);
    // Writes count zero bytes.
    bool writeZeros(qint64 count);
    // Flushes to the disk and closes; the data stays under the ".part" name.
    bool finish();
    // Renames the finished file to its final name.
    bool commit();
    // Removes whatever was written, under either name.
    void discard();

    const QString &path() const { return m_path; }
    // "Cannot write the image file PATH: REASON" for the last failure.
    QString errorText() const;

private:
    bool fail(int error);

    QString m_path;
    QString m_partPath;
    int m_fd = -1;
    int m_error = 0;
    bool m_committed = false;
};

} // namespace skywell::cdwrite
