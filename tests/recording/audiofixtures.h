#pragma once

#include "recording/captureblock.h"
#include "support/runtool.h"

#include <QString>
#include <cstdint>
#include <vector>

namespace skywell::test
{

// Sample bytes of a sine tone in the given layout. 8-bit samples are made
// signed, as block processing hands them to the writers. With leftOnly the
// right channel stays silent.
std::vector<std::uint8_t> toneSamples(const WaveFormat &format, double seconds, double hz = 440.0,
                                      bool leftOnly = false);

// Splits samples into blocks of about the given length.
std::vector<CaptureBlock> toBlocks(const WaveFormat &format, const std::vector<std::uint8_t> &samples,
                                   int milliseconds = 100);

// Writes a 16-bit PCM WAV file (for the file capture device and tools).
void writeWav(const QString &path, const WaveFormat &format, const std::vector<std::uint8_t> &samples);

// A full disk under an open file: while it lives, the descriptor writes to
// /dev/full; afterwards the real file is back in place.
class ScopedDiskFull
{
public:
    explicit ScopedDiskFull(int fd);
    ~ScopedDiskFull();
    ScopedDiskFull(const ScopedDiskFull &) = delete;
    ScopedDiskFull &operator=(const ScopedDiskFull &) = delete;
    bool active() const { return m_saved >= 0; }

private:
    int m_fd;
    int m_saved = -1;
};

} // namespace skywell::test
