#pragma once

#include "recording/mp3settings.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace skywell
{

// One libmp3lame encoder stream set up from an Mp3Config: constant bit
// rate, CRC, original bit, no bit reservoir, and room for the Info (Xing)
// header in the first frame. The encoder writes no ID3 tags of its own.
class Mp3Encoder final
{
public:
    // Null when the encoder rejects the configuration.
    static std::unique_ptr<Mp3Encoder> create(const Mp3Config &config);
    ~Mp3Encoder();
    Mp3Encoder(const Mp3Encoder &) = delete;
    Mp3Encoder &operator=(const Mp3Encoder &) = delete;

    // Output bytes the encoder may need for the given frames.
    static std::size_t outputBound(std::size_t frames) { return frames * 5 / 4 + 7200; }

    // Encodes interleaved frames (config.channels values each). Returns the
    // bytes placed in out, or a negative value on failure.
    int encode(const std::int16_t *values, std::size_t frames, std::uint8_t *out, std::size_t outSize);
    // Ends the stream; returns the last bytes placed in out, or < 0.
    int flush(std::uint8_t *out, std::size_t outSize);
    // The Info header frame that replaces the first frame once the stream
    // has ended; empty when there is none.
    std::vector<std::uint8_t> infoFrame();

    const Mp3Config &config() const { return m_config; }

private:
    struct Lame;
    Mp3Encoder(Lame *lame, const Mp3Config &config);

    std::unique_ptr<Lame> m_lame;
    Mp3Config m_config;
};

// Whether the MP3 encoder works, tried by encoding a moment of silence:
// empty when it does, else the reason for the user.
QString mp3EncoderProblem();

} // namespace skywell
