#pragma once

#include "recording/outputfile.h"
#include "recording/packetwriter.h"

#include <QStringList>

namespace skywell
{

// What the packet writers share: the output file, what went wrong with it
// (one write-error line a file, however many writes fail), the audio bytes
// written and the broken packets left out.
class FilePacketWriter : public PacketWriter
{
public:
    bool hadWriteError() const override { return m_writeFailed; }
    QStringList takeErrors() override;

    bool isOpen() const override { return m_file.isOpen(); }
    int fileDescriptor() const override { return m_file.fd(); }
    std::uint64_t bytesWritten() const override { return m_count; }

protected:
    // Closes any file still open and starts the counts of a new one, of
    // the output kind named ("MP3", "Ogg Opus"...) in messages.
    void startFile(PacketCodec codec, const QString &kindName);
    // Creates the file, or says why not.
    bool createFile(const QString &path);
    // A write failed: said once for the file.
    void noteWriteError();
    // Says how many broken packets were left out, if any.
    void reportBrokenPackets();
    // Closes the file: true when it holds audio and nothing was lost at close.
    bool closeFile();

    OutputFile m_file;
    QStringList m_errors;
    PacketCodec m_codec = PacketCodec::Mp3;
    QString m_kindName;
    std::uint64_t m_count = 0;
    int m_broken = 0;
    bool m_writeFailed = false;
    std::int64_t m_openedAt = 0;
};

} // namespace skywell
