#pragma once

#include "recording/captureblock.h"
#include "recording/id3tag.h"
#include "recording/outputfile.h"
#include "recording/tracktags.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace skywell
{

class Mp3Encoder;

// Encodes one stream of capture blocks into an MP3 file as they arrive.
// The file begins with room for an ID3v2.4 tag (an empty, valid tag at
// open, so a file cut short by a crash still plays), filled at close in
// place; it ends with an ID3v1.1 tag. At close the first audio frame is
// replaced by the encoder's Info header, so players show the right
// duration. Failures return a failed outcome (or 0) and leave a text in
// errors(), once per file for write errors, for the caller to report. A
// failed write loses that block only: later blocks, the close's last
// frames, the Info header and the tag are still written. After an encoder failure the writer refuses every later block
// and the close, without touching the encoder again.
class Mp3Writer final
{
public:
    static constexpr std::size_t kMinOutBuffer = 51200;
    // Bytes kept ahead of the audio for the ID3v2 tag.
    static constexpr qsizetype kTagRoom = kTrackTagRoom;

    Mp3Writer();
    ~Mp3Writer();
    Mp3Writer(const Mp3Writer &) = delete;
    Mp3Writer &operator=(const Mp3Writer &) = delete;

    // quality: 0 AM, 1 FM, 2 CD (see mp3ConfigFor).
    WriteOutcome open(const QString &path, const CaptureBlock &block, int quality);
    WriteOutcome write(const CaptureBlock &block);
    // Ends the stream, writes the tags (a zero recording time in the fields
    // means the time of open); returns the encoded audio bytes in the file,
    // tags not counted. 0: nothing was written, the encoder failed or the
    // file was lost at close. Nonzero with hadWriteError(): kept, but may
    // be damaged.
    std::uint32_t close(const TagFields &tags);
    // Some write to this file failed (and was reported); cleared by the
    // next open.
    bool hadWriteError() const { return m_writeFailed; }

    // What went wrong since the file was opened, one text a failure.
    const QStringList &errors() const { return m_errors; }
    // The texts not taken yet; taking them empties the list.
    QStringList takeErrors() { return std::exchange(m_errors, {}); }

    bool isOpen() const { return m_file.isOpen(); }
    // Encoded bytes written so far.
    std::uint32_t count() const { return m_count; }
    // For tests that replace the file underneath (disk full).
    int fileDescriptor() const { return m_file.fd(); }

private:
    bool writeOut(const std::uint8_t *data, std::size_t bytes);
    void noteWriteError();
    void abandon();

    QStringList m_errors;
    OutputFile m_file;
    std::unique_ptr<Mp3Encoder> m_encoder;
    std::vector<std::uint8_t> m_outBuffer;
    std::vector<std::int16_t> m_values;
    WaveFormat m_source;
    std::uint32_t m_count = 0;
    bool m_writeFailed = false;
    // The first frame never reached the file: no place for the Info header.
    bool m_startLost = false;
    // Where the audio begins: after the tag's room, or 0 when the room
    // could not be written at open.
    qsizetype m_audioStart = 0;
    std::int64_t m_openedAt = 0;
};

} // namespace skywell
