#pragma once

#include "recording/captureblock.h"
#include "recording/outputfile.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

namespace skywell
{

class Mp3Encoder;
class Prompter;

// Encodes one stream of capture blocks into an MP3 file as they arrive and
// ends it with an ID3v1.1 tag. At close the first frame is replaced by the
// encoder's Info header, so players show the right duration. Failures
// return false (or 0) and show a "Fatal Error" through the prompter, once
// per file for write errors. A failed write loses that block only: later
// blocks, the close's last frames, the Info header and the tag are still
// written. After an encoder failure the writer refuses every later block
// and the close, without touching the encoder again.
class Mp3Writer final
{
public:
    static constexpr std::size_t kMinOutBuffer = 51200;

    explicit Mp3Writer(Prompter &prompter);
    ~Mp3Writer();
    Mp3Writer(const Mp3Writer &) = delete;
    Mp3Writer &operator=(const Mp3Writer &) = delete;

    // quality: 0 AM, 1 FM, 2 CD (see mp3ConfigFor).
    bool open(const QString &path, const CaptureBlock &block, int quality);
    bool write(const CaptureBlock &block);
    // Ends the stream, writes the tag; returns the encoded bytes in the file.
    // 0: nothing was written, the encoder failed or the file was lost at
    // close. Nonzero with hadWriteError(): kept, but may be damaged.
    std::uint32_t close(const QString &title, const QString &artist, const QString &album, int trackNumber);
    // Some write to this file failed (and was reported); cleared by the
    // next open.
    bool hadWriteError() const { return m_writeFailed; }

    bool isOpen() const { return m_file.isOpen(); }
    // Encoded bytes written so far.
    std::uint32_t count() const { return m_count; }
    int fileDescriptor() const { return m_file.fd(); }
    // The system error of the last failed write (errno).
    int lastError() const { return m_file.lastError(); }

private:
    bool writeOut(const std::uint8_t *data, std::size_t bytes);
    void noteWriteError();
    void abandon();

    Prompter &m_prompter;
    OutputFile m_file;
    std::unique_ptr<Mp3Encoder> m_encoder;
    std::vector<std::uint8_t> m_outBuffer;
    std::vector<std::int16_t> m_values;
    WaveFormat m_source;
    std::uint32_t m_count = 0;
    bool m_writeFailed = false;
    // The first frame never reached the file: no place for the Info header.
    bool m_startLost = false;
};

} // namespace skywell
