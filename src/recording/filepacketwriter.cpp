#include "recording/filepacketwriter.h"

#include <QDateTime>

#include <utility>

namespace skywell
{

QStringList FilePacketWriter::takeErrors()
{
    return std::exchange(m_errors, {});
}

void FilePacketWriter::startFile(PacketCodec codec, const QString &kindName)
{
    m_file.close();
    m_errors.clear();
    m_codec = codec;
    m_kindName = kindName;
    m_count = 0;
    m_broken = 0;
    m_writeFailed = false;
    m_openedAt = QDateTime::currentSecsSinceEpoch();
}

bool FilePacketWriter::createFile(const QString &path)
{
    if (m_file.create(path))
        return true;
    m_errors.append(QStringLiteral("Error opening file for %1 output file.").arg(m_kindName));
    return false;
}

void FilePacketWriter::noteWriteError()
{
    // One message per file, not one per packet of a full disk.
    if (!m_writeFailed)
        m_errors.append(QStringLiteral("%1 output file write error.").arg(m_kindName));
    m_writeFailed = true;
}

void FilePacketWriter::reportBrokenPackets()
{
    if (m_broken > 0)
        m_errors.append(QStringLiteral("%1 packets with broken headers left out").arg(m_broken));
}

bool FilePacketWriter::closeFile()
{
    if (!m_file.close()) {
        // Gone with its folder, or the system lost what it had taken.
        noteWriteError();
        return false;
    }
    return m_count > 0;
}

} // namespace skywell
