#pragma once

#include "recording/captureblock.h"
#include "recording/outputfile.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace skywell
{

class RateConverter;

// Writes one stream of capture blocks into a RIFF/WAVE file with a 44-byte
// header. With conversion requested, every source format is written as
// 44100 Hz 16-bit stereo: other rates through a rate converter of this
// stream's own, mono copied to both channels, 8-bit widened to 16 bits.
// Failures return a failed outcome (or 0) and leave a text in errors(),
// once per file for write errors, for the caller to report; the program
// goes on. A failed write loses that block only: later blocks are still
// written and the header counts what reached the file.
//
// The RIFF sizes are 32-bit, so a file never grows past kMaxDataBytes of
// samples (about 6.7 hours of CD audio): a block that would cross the
// limit is refused whole and reported once. Whoever feeds the writer asks
// wouldExceedLimit() before each block and starts a new file instead.
class WavWriter final
{
public:
    static constexpr std::size_t kWorkBufferBytes = 48000;
    static constexpr std::size_t kHeaderBytes = 44;
    // The most sample bytes whose sizes still fit the header's u32 fields
    // (data bytes + 36), kept to whole 4-byte frames.
    static constexpr std::uint32_t kMaxDataBytes = (0xFFFFFFFFu - 36u) / 4u * 4u;
    // Output frames held back for a converting stream: the converter's
    // flush at close still writes what it holds.
    static constexpr std::uint32_t kConverterReserveFrames = 8192;

    // dataLimit lowers the limit (tests use a few megabytes); it is rounded
    // down to whole frames of the output format at open.
    explicit WavWriter(std::uint32_t dataLimit = kMaxDataBytes);
    ~WavWriter();
    WavWriter(const WavWriter &) = delete;
    WavWriter &operator=(const WavWriter &) = delete;

    // Opens on the stream's first block. A file that cannot be created
    // fails without a message (the caller tries another name). A
    // header that does not fit a full disk is written with the first
    // samples that do fit: the open succeeds and the writes report.
    WriteOutcome open(const QString &path, const CaptureBlock &block, bool convert);
    // Writes the block's samples. A block whose sample count claims more
    // bytes than it holds is refused, and so is a block that would take the
    // file past its size limit (one text in errors() per file).
    WriteOutcome write(const CaptureBlock &block);
    // What went wrong since the file was opened, one text a failure.
    const QStringList &errors() const { return m_errors; }
    // The texts not taken yet; taking them empties the list.
    QStringList takeErrors() { return std::exchange(m_errors, {}); }
    // Whether writing this block could take the file past its size limit,
    // counting for a converting stream everything the converter will still
    // give out at close. False when no file is open.
    bool wouldExceedLimit(const CaptureBlock &block) const;
    // Sample bytes the file can still take (for a converting stream less
    // what the converter holds back for the close).
    std::uint64_t bytesLeft() const;
    // Completes the header; returns the sample bytes in the file. 0: none,
    // or the header could not be completed or the file was lost at close.
    // Nonzero with hadWriteError(): kept, but may be damaged.
    std::uint32_t close();
    // Some write to this file failed, or a block was refused at the size
    // limit (and was reported); cleared by the next open.
    bool hadWriteError() const { return m_writeFailed || m_limitReached; }
    // A block was refused because the file had reached its size limit.
    bool reachedLimit() const { return m_limitReached; }

    bool isOpen() const { return m_file.isOpen(); }
    bool converting() const { return m_convert; }
    std::uint32_t dataBytes() const { return m_dataBytes; }
    // The format the file is written in.
    WaveFormat outputFormat() const { return m_output; }
    // For tests that replace the file underneath (disk full).
    int fileDescriptor() const { return m_file.fd(); }

private:
    bool writeSamples(const void *data, std::size_t bytes);
    bool writeConverted(const std::uint8_t *samples, std::size_t bytes);
    bool drainConverter();
    // The sample bytes the file holds after the close once this many more
    // source bytes have been written.
    std::uint64_t projectedBytes(std::uint64_t moreSourceBytes) const;
    void refuseAtLimit();

    QStringList m_errors;
    OutputFile m_file;
    std::vector<std::uint8_t> m_workBuffer;
    bool m_convert = false;
    std::uint32_t m_dataBytes = 0;
    const std::uint32_t m_requestedLimit;
    std::uint32_t m_limit = 0;
    // Source bytes written so far; with the source format they give the
    // length the file has once the converter is flushed.
    std::uint64_t m_sourceBytes = 0;
    bool m_writeFailed = false;
    bool m_limitReached = false;
    // The header did not fit at open; the samples begin after its room.
    bool m_headerOwed = false;
    WaveFormat m_source;
    WaveFormat m_output;
    std::unique_ptr<RateConverter> m_converter;
    std::vector<std::int16_t> m_values;
    std::vector<std::int16_t> m_received;
};

// The 44-byte header for the given format and data size.
std::vector<std::uint8_t> wavHeader(const WaveFormat &format, std::uint32_t dataBytes);

} // namespace skywell
