#pragma once

#include "recording/acmblock.h"
#include "recording/outputfile.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

namespace skywell
{

class Prompter;
class RateConverter;

// Writes one stream of capture blocks into a RIFF/WAVE file with a 44-byte
// header. With conversion requested, every source format is written as
// 44100 Hz 16-bit stereo: other rates through a rate converter of this
// stream's own, mono copied to both channels, 8-bit widened to 16 bits.
// Failures return false (or 0) and show a "Fatal Error" through the
// prompter, once per file for write errors; the program goes on. A failed
// write loses that block only: later blocks are still written and the
// header counts what reached the file.
class WAVWriter final
{
public:
    static constexpr std::size_t kWorkBufferBytes = 48000;
    static constexpr std::size_t kHeaderBytes = 44;

    explicit WAVWriter(Prompter &prompter);
    ~WAVWriter();
    WAVWriter(const WAVWriter &) = delete;
    WAVWriter &operator=(const WAVWriter &) = delete;

    // Opens on the stream's first block. A file that cannot be created
    // returns false without a message (the caller tries another name).
    bool OpenWAVOutput(const QString &path, const AcmBlock &block, bool convert);
    // Writes the block's samples. A block whose sample count claims more
    // bytes than it holds is refused.
    bool WriteWAVBlock(const AcmBlock &block);
    // Completes the header; returns the sample bytes in the file. 0: none,
    // or the header could not be completed or the file was lost at close.
    // Nonzero with hadWriteError(): kept, but may be damaged.
    std::uint32_t CloseWAVOutput();
    // Some write to this file failed (and was reported); cleared by the
    // next open.
    bool hadWriteError() const { return m_writeFailed; }

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

    Prompter &m_prompter;
    OutputFile m_file;
    std::vector<std::uint8_t> m_workBuffer;
    bool m_convert = false;
    std::uint32_t m_dataBytes = 0;
    bool m_writeFailed = false;
    WaveFormat m_source;
    WaveFormat m_output;
    std::unique_ptr<RateConverter> m_converter;
    std::vector<std::int16_t> m_values;
    std::vector<std::int16_t> m_received;
};

// The 44-byte header for the given format and data size.
std::vector<std::uint8_t> wavHeader(const WaveFormat &format, std::uint32_t dataBytes);

} // namespace skywell
