#include "recording/mp3encoder.h"

#include <lame/lame.h>

namespace skywell
{

struct Mp3Encoder::Lame {
    lame_global_flags *flags = nullptr;
    ~Lame()
    {
        if (flags)
            lame_close(flags);
    }
};

Mp3Encoder::Mp3Encoder(Lame *lame, const Mp3Config &config) : m_lame(lame), m_config(config)
{
}

Mp3Encoder::~Mp3Encoder() = default;

std::unique_ptr<Mp3Encoder> Mp3Encoder::create(const Mp3Config &config)
{
    auto lame = std::make_unique<Lame>();
    lame->flags = lame_init();
    if (!lame->flags)
        return nullptr;
    lame_global_flags *gf = lame->flags;
    lame_set_in_samplerate(gf, int(config.sampleRate));
    lame_set_num_channels(gf, config.channels);
    lame_set_out_samplerate(gf, int(config.reSampleRate));
    lame_set_brate(gf, int(config.bitrate));
    lame_set_mode(gf, static_cast<MPEG_mode>(config.mode));
    lame_set_error_protection(gf, config.crc ? 1 : 0);
    lame_set_original(gf, config.original ? 1 : 0);
    lame_set_bWriteVbrTag(gf, config.writeVbrHeader ? 1 : 0);
    lame_set_VBR(gf, config.enableVbr ? vbr_default : vbr_off);
    lame_set_disable_reservoir(gf, config.noReservoir ? 1 : 0);
    lame_set_write_id3tag_automatic(gf, 0);
    if (lame_init_params(gf) < 0)
        return nullptr;
    return std::unique_ptr<Mp3Encoder>(new Mp3Encoder(lame.release(), config));
}

int Mp3Encoder::encode(const std::int16_t *values, std::size_t frames, std::uint8_t *out, std::size_t outSize)
{
    if (frames == 0)
        return 0;
    lame_global_flags *gf = m_lame->flags;
    if (m_config.channels == 1) {
        // libmp3lame wants a right channel pointer even for mono.
        return lame_encode_buffer(gf, values, values, int(frames), out, int(outSize));
    }
    return lame_encode_buffer_interleaved(gf, const_cast<short *>(values), int(frames), out, int(outSize));
}

int Mp3Encoder::flush(std::uint8_t *out, std::size_t outSize)
{
    return lame_encode_flush(m_lame->flags, out, int(outSize));
}

std::vector<std::uint8_t> Mp3Encoder::infoFrame()
{
    std::vector<std::uint8_t> frame(2880);
    const std::size_t n = lame_get_lametag_frame(m_lame->flags, frame.data(), frame.size());
    frame.resize(n <= frame.size() ? n : 0);
    return frame;
}

QString mp3EncoderProblem()
{
    lame_global_flags *probe = lame_init();
    if (!probe)
        return QStringLiteral("Error loading the MP3 encoder (libmp3lame).");
    lame_close(probe);
    bool works = false;
    if (auto encoder = Mp3Encoder::create(mp3ConfigFor(2, 44100, 2))) {
        std::vector<std::int16_t> silence(2 * 4410, 0);
        std::vector<std::uint8_t> out(Mp3Encoder::outputBound(4410));
        works = encoder->encode(silence.data(), 4410, out.data(), out.size()) >= 0 &&
                encoder->flush(out.data(), out.size()) >= 0;
    }
    return works ? QString() : QStringLiteral("The MP3 encoder (libmp3lame) does not work.");
}

} // namespace skywell
