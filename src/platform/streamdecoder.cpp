#include "platform/streamdecoder.h"

#include "platform/ffmpeglibraries.h"
#include "platform/icymetadata.h"
#include "platform/streamplaylist.h"
#include "recording/adtsheader.h"

#include <QStringList>

#include <deque>
#include <mutex>
#include <string>
#include <utility>

namespace skywell
{

namespace
{
constexpr int kMaxPlaylistDepth = 4;
// Playlist entries tried in one opening, nested playlists included: a
// hostile list of thousands is not worked through for each reopening.
constexpr int kMaxEntriesTried = 20;
// Enough for the first entries of any station playlist.
constexpr int kMaxPlaylistBytes = 16 * 1024;
// Packets in a row that do not decode before the stream counts as broken.
constexpr int kMaxBadPackets = 200;

QString errorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    ffmpeg().av_strerror(code, text, sizeof text);
    return cleanStationText(text);
}

// The libraries' own messages would go to standard error, one per bad
// frame; what matters reaches the activity log through the reasons.
void quietLibraries()
{
    static std::once_flag once;
    std::call_once(once, [] { ffmpeg().av_log_set_level(AV_LOG_QUIET); });
}

bool isLocal(const QString &url)
{
    return url.startsWith(QLatin1Char('/')) || url.startsWith(QLatin1String("file:"));
}

// FFmpeg's free functions take the pointer's address and clear it.
template <auto Free> struct FreeWith {
    template <typename T> void operator()(T *p) const { (ffmpeg().*Free)(&p); }
};
using FormatCloser = FreeWith<&FFmpeg::avformat_close_input>;
using CodecFreer = FreeWith<&FFmpeg::avcodec_free_context>;
using SwrFreer = FreeWith<&FFmpeg::swr_free>;
using PacketFreer = FreeWith<&FFmpeg::av_packet_free>;
using FrameFreer = FreeWith<&FFmpeg::av_frame_free>;
using AvioCloser = FreeWith<&FFmpeg::avio_closep>;

// What a decoder was opened for; when the stream's parameters change (a
// new Ogg link, another codec) the decoder is opened again.
struct CodecShape {
    AVCodecID id = AV_CODEC_ID_NONE;
    int rate = 0;
    int channels = 0;
    QByteArray extradata;

    static CodecShape of(const AVCodecParameters *p)
    {
        return {p->codec_id, p->sample_rate, p->ch_layout.nb_channels,
                QByteArray(reinterpret_cast<const char *>(p->extradata), p->extradata ? p->extradata_size : 0)};
    }
    bool operator==(const CodecShape &) const = default;
};

// Vorbis setup data as FFmpeg keeps it: the three header packets in Xiph
// lacing (a count byte, the first two sizes in runs of 255, then the
// packets). Empty when it is not that.
std::vector<QByteArray> splitXiphHeaders(const QByteArray &extradata)
{
    const auto *p = reinterpret_cast<const std::uint8_t *>(extradata.constData());
    const qsizetype size = extradata.size();
    if (size < 3 || p[0] != 2)
        return {};
    qsizetype at = 1;
    qsizetype lengths[2] = {0, 0};
    for (qsizetype &length : lengths) {
        while (at < size && p[at] == 255)
            length += p[at++];
        if (at >= size)
            return {};
        length += p[at++];
    }
    if (at + lengths[0] + lengths[1] >= size)
        return {};
    return {extradata.mid(at, lengths[0]), extradata.mid(at + lengths[0], lengths[1]),
            extradata.mid(at + lengths[0] + lengths[1])};
}

// The kept form of a stream's packets, or null when its codec is not
// one a track file keeps as sent.
std::shared_ptr<PacketFormat> packetFormatOf(const AVCodecParameters *p)
{
    auto format = std::make_shared<PacketFormat>();
    format->sampleRate = p->sample_rate;
    format->channels = p->ch_layout.nb_channels;
    const QByteArray extradata(reinterpret_cast<const char *>(p->extradata), p->extradata ? p->extradata_size : 0);
    switch (p->codec_id) {
    case AV_CODEC_ID_MP3:
        format->codec = PacketCodec::Mp3;
        break;
    case AV_CODEC_ID_AAC:
        format->codec = PacketCodec::Aac;
        break;
    case AV_CODEC_ID_VORBIS:
        format->codec = PacketCodec::Vorbis;
        format->headers = splitXiphHeaders(extradata);
        if (format->headers.size() != 3 || !format->headers[0].startsWith("\x01vorbis") ||
            !format->headers[2].startsWith("\x05vorbis"))
            return nullptr;
        break;
    case AV_CODEC_ID_OPUS:
        format->codec = PacketCodec::Opus;
        if (!extradata.startsWith("OpusHead"))
            return nullptr;
        format->headers = {extradata};
        break;
    default:
        return nullptr;
    }
    if (format->sampleRate <= 0 || format->channels <= 0)
        return nullptr;
    return format;
}

// The samples of a packet at the format's granule rate, from its duration
// in the stream's time base; the codec's usual frame when it has none.
std::int64_t packetSamples(const AVPacket *packet, AVRational timeBase, const PacketFormat &format)
{
    if (packet->duration > 0 && timeBase.num > 0 && timeBase.den > 0)
        return packet->duration * timeBase.num * format.granuleRate() / timeBase.den;
    switch (format.codec) {
    case PacketCodec::Mp3:
        return format.sampleRate >= 32000 ? 1152 : 576;
    case PacketCodec::Aac:
        return 1024;
    default:
        return 0;
    }
}

bool hasAdtsHeader(const AVPacket *packet)
{
    return packet->size >= 7 && packet->data[0] == 0xff && (packet->data[1] & 0xf6) == 0xf0;
}

// What the converter was made for.
struct ConverterShape {
    int format = -1;
    int rate = 0;
    int outRate = 0;
    AVChannelLayout layout{};
};
} // namespace

struct StreamDecoder::Impl {
    // Before anything of FFmpeg's is made.
    QString loadError;
    bool loaded = loadFFmpeg(loadError);
    std::function<bool()> interrupted;
    std::chrono::milliseconds timeout;
    std::unique_ptr<AVFormatContext, FormatCloser> format;
    std::unique_ptr<AVCodecContext, CodecFreer> codec;
    std::unique_ptr<SwrContext, SwrFreer> swr;
    std::unique_ptr<AVPacket, PacketFreer> packet{loaded ? ffmpeg().av_packet_alloc() : nullptr};
    std::unique_ptr<AVFrame, FrameFreer> frame{loaded ? ffmpeg().av_frame_alloc() : nullptr};
    int streamIndex = -1;
    CodecShape shape;
    ConverterShape converter;
    int badPackets = 0;
    // Playlist entries that did not open ("<address>: <reason>"), and how
    // many were tried, in this opening.
    QStringList failedEntries;
    int entriesTried = 0;
    bool icyPossible = true;
    QByteArray lastIcyPacket;
    // ICY titles wait for the audio they belong to: the connection reads
    // ahead of the demuxer, so a title counts from the stream position
    // where it arrived (the start of the read that brought it).
    std::deque<std::pair<std::int64_t, QString>> icyTitles;
    std::optional<QString> title;
    std::optional<QString> newTitle;
    std::optional<QString> note;
    // The kept form of the packets (null: not kept).
    std::shared_ptr<const PacketFormat> packets;
    // An ADTS header has been seen in this AAC stream; packets without one
    // before it.
    bool adtsSeen = false;
    int aacPiecesBeforeHeader = 0;

    ~Impl()
    {
        if (loaded)
            ffmpeg().av_channel_layout_uninit(&converter.layout);
    }

    // Bytes that trickle in without ever making a packet (a probe of
    // endless garbage) would keep each single wait within the timeout:
    // opening and each read also end at a deadline.
    std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max();

    static int interruptCallback(void *opaque)
    {
        const Impl *self = static_cast<Impl *>(opaque);
        return self->interrupted() || std::chrono::steady_clock::now() > self->deadline ? 1 : 0;
    }
    void startDeadline() { deadline = std::chrono::steady_clock::now() + 3 * timeout; }
    // The reason for an error, naming the deadline when it ended the wait.
    QString reasonFor(int code) const
    {
        if (code == AVERROR_EXIT && !interrupted())
            return QStringLiteral("nothing to play for %1 seconds")
                .arg(std::chrono::duration_cast<std::chrono::seconds>(3 * timeout).count());
        return errorText(code);
    }
    AVIOInterruptCB interruptCb() { return {&Impl::interruptCallback, this}; }

    AVDictionary *options(const QString &url, bool icy) const
    {
        AVDictionary *opts = nullptr;
        const std::string micros = std::to_string(std::chrono::microseconds(timeout).count());
        // No data for this long ends a connect or a read (a server that
        // takes the connection and sends nothing).
        ffmpeg().av_dict_set(&opts, "rw_timeout", micros.c_str(), 0);
        ffmpeg().av_dict_set(&opts, "timeout", micros.c_str(), 0);
        ffmpeg().av_dict_set(&opts, "icy", icy ? "1" : "0", 0);
        ffmpeg().av_dict_set(&opts, "user_agent", "Skywell/5", 0);
        // A stream from the network never makes FFmpeg read local files.
        ffmpeg().av_dict_set(&opts, "protocol_whitelist",
                             isLocal(url) ? "file,crypto" : "http,https,tls,tcp,crypto,httpproxy", 0);
        return opts;
    }

    int openInput(const QString &url)
    {
        AVFormatContext *raw = ffmpeg().avformat_alloc_context();
        if (!raw)
            return AVERROR(ENOMEM);
        raw->interrupt_callback = interruptCb();
        AVDictionary *opts = options(url, true);
        // A live stream joined in the middle of an MP3 frame looks unsure
        // to the format probe, which then reads up to a megabyte at the
        // stream's own pace (8 s at 128 kbit/s) before it decides; 16 KB
        // decides as well and costs a reopening about a second.
        if (!isLocal(url))
            ffmpeg().av_dict_set(&opts, "formatprobesize", "16384", 0);
        int r = ffmpeg().avformat_open_input(&raw, url.toUtf8().constData(), nullptr, &opts);
        ffmpeg().av_dict_free(&opts);
        if (r < 0)
            return r; // the library freed the context
        format.reset(raw);
        if ((r = ffmpeg().avformat_find_stream_info(raw, nullptr)) < 0)
            return r;
        streamIndex = ffmpeg().av_find_best_stream(raw, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
        if (streamIndex < 0)
            return streamIndex;
        for (unsigned i = 0; i < raw->nb_streams; ++i)
            if (int(i) != streamIndex)
                raw->streams[i]->discard = AVDISCARD_ALL;
        return 0;
    }

    // The first bytes at the address and their MIME type.
    bool fetch(const QString &url, QByteArray &content, QByteArray &mime, QString &reason)
    {
        AVIOContext *raw = nullptr;
        AVDictionary *opts = options(url, false);
        const AVIOInterruptCB cb = interruptCb();
        const int r = ffmpeg().avio_open2(&raw, url.toUtf8().constData(), AVIO_FLAG_READ, &cb, &opts);
        ffmpeg().av_dict_free(&opts);
        if (r < 0) {
            reason = reasonFor(r);
            return false;
        }
        std::unique_ptr<AVIOContext, AvioCloser> pb(raw);
        std::uint8_t *value = nullptr;
        if (ffmpeg().av_opt_get(raw, "mime_type", AV_OPT_SEARCH_CHILDREN, &value) >= 0 && value)
            mime = reinterpret_cast<const char *>(value);
        ffmpeg().av_free(value);
        content.resize(kMaxPlaylistBytes);
        const int got = ffmpeg().avio_read(raw, reinterpret_cast<unsigned char *>(content.data()), kMaxPlaylistBytes);
        content.resize(qMax(0, got));
        return true;
    }

    // AAC is kept in ADTS frames, which carry their own setup. A raw frame
    // gets a header made from the stream's setup (header). Without that
    // setup, what comes before the first header is a piece of a frame
    // (false: not kept), and a stream that shows no header soon cannot be
    // kept at all.
    bool checkAdts(const AVPacket *packet, std::optional<std::array<std::uint8_t, kAdtsHeaderBytes>> &header)
    {
        if (hasAdtsHeader(packet)) {
            adtsSeen = true;
            return true;
        }
        const AVCodecParameters *p = format->streams[streamIndex]->codecpar;
        header =
            adtsHeaderFor(p->extradata, p->extradata ? std::size_t(p->extradata_size) : 0, std::size_t(packet->size));
        if (header || adtsSeen)
            return true; // a broken frame after the first is the writer's to leave out
        constexpr int kPiecesBeforeGivingUp = 16;
        if (++aacPiecesBeforeHeader > kPiecesBeforeGivingUp)
            packets.reset();
        return false;
    }

    bool openDecoder(QString &reason)
    {
        const AVStream *st = format->streams[streamIndex];
        const AVCodec *decoder = ffmpeg().avcodec_find_decoder(st->codecpar->codec_id);
        if (!decoder) {
            reason = QStringLiteral("no decoder for %1")
                         .arg(QLatin1String(ffmpeg().avcodec_get_name(st->codecpar->codec_id)));
            return false;
        }
        codec.reset(ffmpeg().avcodec_alloc_context3(decoder));
        int r = codec ? ffmpeg().avcodec_parameters_to_context(codec.get(), st->codecpar) : AVERROR(ENOMEM);
        if (r >= 0) {
            codec->pkt_timebase = st->time_base;
            r = ffmpeg().avcodec_open2(codec.get(), decoder, nullptr);
        }
        if (r < 0) {
            codec.reset();
            reason = reasonFor(r);
            return false;
        }
        shape = CodecShape::of(st->codecpar);
        badPackets = 0;
        updatePacketFormat();
        return true;
    }

    // A new form only when the stream no longer continues the old one.
    void updatePacketFormat()
    {
        std::shared_ptr<PacketFormat> now = packetFormatOf(format->streams[streamIndex]->codecpar);
        if (!now || !packets || !continuesTrack(*packets, *now)) {
            packets = std::move(now);
            adtsSeen = false;
            aacPiecesBeforeHeader = 0;
        }
    }

    // Opens the address; a station playlist's entries are tried in order.
    bool openAddress(const QString &url, int depth, QString &reason)
    {
        QByteArray content, mime;
        if (namesPlaylist(url)) {
            if (!fetch(url, content, mime, reason))
                return false;
            const PlaylistKind kind = playlistKind(content, mime, url);
            if (kind == PlaylistKind::Pls || kind == PlaylistKind::M3u)
                return openEntries(playlistEntries(content, kind, url), depth, reason);
        }
        const int r = openInput(url);
        if (r >= 0) {
            if (!openDecoder(reason)) {
                format.reset();
                return false;
            }
            checkTitles(true, -1);
            return true;
        }
        format.reset();
        reason = reasonFor(r);
        if (r == AVERROR_EXIT)
            return false;
        // Content FFmpeg cannot read may be a playlist under a name that
        // does not say so, or a web page.
        QString ignored;
        if ((r == AVERROR_INVALIDDATA || r == AVERROR_STREAM_NOT_FOUND || r == AVERROR_DECODER_NOT_FOUND) &&
            fetch(url, content, mime, ignored)) {
            const PlaylistKind kind = playlistKind(content, mime, QString());
            if (kind == PlaylistKind::Pls || kind == PlaylistKind::M3u)
                return openEntries(playlistEntries(content, kind, url), depth, reason);
            reason = QStringLiteral("no audio stream found");
            if (!mime.isEmpty())
                reason += QStringLiteral(" (%1)").arg(cleanStationText(mime));
        }
        return false;
    }

    // The first entry that opens; each that does not is kept with its
    // reason for the log. Each gets the whole time an opening may take.
    bool openEntries(const QStringList &entries, int depth, QString &reason)
    {
        if (entries.isEmpty()) {
            reason = QStringLiteral("the playlist names no stream");
            return false;
        }
        if (depth >= kMaxPlaylistDepth) {
            reason = QStringLiteral("playlists nested too deep");
            return false;
        }
        for (const QString &entry : entries) {
            if (interrupted())
                return false;
            if (++entriesTried > kMaxEntriesTried)
                break;
            startDeadline();
            QString why;
            if (openAddress(entry, depth + 1, why))
                return true;
            if (interrupted())
                return false;
            failedEntries << QStringLiteral("%1: %2").arg(cleanStationText(entry.toUtf8()), why);
        }
        reason = entries.size() == 1 ? QStringLiteral("its one stream could not be opened")
                                     : QStringLiteral("none of its streams could be opened");
        return false;
    }

    void offerTitle(const QString &text)
    {
        if (title ? *title == text : text.isEmpty())
            return;
        title = text;
        newTitle = text;
    }

    // ICY titles arrive as options of the HTTP connection, in-stream
    // titles (Ogg, FLAC) as changed metadata of the stream.
    void checkTitles(bool atOpen, std::int64_t readFrom)
    {
        AVFormatContext *f = format.get();
        if (icyPossible && f->pb) {
            std::uint8_t *value = nullptr;
            const int r = ffmpeg().av_opt_get(f->pb, "icy_metadata_packet", AV_OPT_SEARCH_CHILDREN, &value);
            if (r == AVERROR_OPTION_NOT_FOUND)
                icyPossible = false; // not HTTP: no need to ask again
            if (r >= 0 && value && *value) {
                const QByteArray icy(reinterpret_cast<const char *>(value));
                if (icy != lastIcyPacket) {
                    lastIcyPacket = icy;
                    if (const auto t = icyStreamTitle(icy))
                        icyTitles.emplace_back(readFrom, *t);
                }
            }
            ffmpeg().av_free(value);
        }
        AVStream *st = f->streams[streamIndex];
        if (!atOpen && !(f->event_flags & AVFMT_EVENT_FLAG_METADATA_UPDATED) &&
            !(st->event_flags & AVSTREAM_EVENT_FLAG_METADATA_UPDATED))
            return;
        f->event_flags &= ~AVFMT_EVENT_FLAG_METADATA_UPDATED;
        st->event_flags &= ~AVSTREAM_EVENT_FLAG_METADATA_UPDATED;
        for (AVDictionary *tags : {st->metadata, f->metadata}) {
            const AVDictionaryEntry *t = ffmpeg().av_dict_get(tags, "title", nullptr, 0);
            const AVDictionaryEntry *a = ffmpeg().av_dict_get(tags, "artist", nullptr, 0);
            if (!t && !a)
                continue;
            const QString combined =
                combineArtistAndTitle(cleanStationText(a ? a->value : ""), cleanStationText(t ? t->value : ""));
            offerTitle(cleanStationText(combined.toUtf8()));
            break;
        }
        // The demuxer appends each chained Ogg link's comments to the ones
        // before, joined by ';': emptied, the next link's title stands alone.
        ffmpeg().av_dict_free(&st->metadata);
        ffmpeg().av_dict_free(&f->metadata);
    }

    // Titles whose audio starts at or before the packet at `position`.
    void reachIcyTitles(std::int64_t position)
    {
        while (!icyTitles.empty() && (position < 0 || icyTitles.front().first <= position)) {
            offerTitle(icyTitles.front().second);
            icyTitles.pop_front();
        }
    }

    bool makeConverter(const AVFrame *f, int outRate)
    {
        AVChannelLayout in{};
        if (f->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || ffmpeg().av_channel_layout_check(&f->ch_layout) == 0)
            ffmpeg().av_channel_layout_default(&in, f->ch_layout.nb_channels);
        else if (ffmpeg().av_channel_layout_copy(&in, &f->ch_layout) < 0)
            return false;
        std::unique_ptr<AVChannelLayout, void (*)(AVChannelLayout *)> inOwner(&in, ffmpeg().av_channel_layout_uninit);
        AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
        SwrContext *s = nullptr;
        if (ffmpeg().swr_alloc_set_opts2(&s, &stereo, AV_SAMPLE_FMT_S16, outRate, &in, AVSampleFormat(f->format),
                                         f->sample_rate, 0, nullptr) < 0)
            return false;
        std::unique_ptr<SwrContext, SwrFreer> made(s);
        // Mono goes to both sides at full level (the library's default
        // would lower it by 3 dB).
        const double mono[2] = {1.0, 1.0};
        if (in.nb_channels == 1 && ffmpeg().swr_set_matrix(s, mono, 1) < 0)
            return false;
        if (ffmpeg().swr_init(s) < 0)
            return false;
        swr = std::move(made);
        converter.format = f->format;
        converter.rate = f->sample_rate;
        converter.outRate = outRate;
        ffmpeg().av_channel_layout_uninit(&converter.layout);
        return ffmpeg().av_channel_layout_copy(&converter.layout, &f->ch_layout) >= 0;
    }

    bool convert(int outRate, std::vector<std::int16_t> &out)
    {
        const AVFrame *f = frame.get();
        if (!swr || f->format != converter.format || f->sample_rate != converter.rate || outRate != converter.outRate ||
            ffmpeg().av_channel_layout_compare(&f->ch_layout, &converter.layout) != 0) {
            if (!makeConverter(f, outRate)) {
                swr.reset();
                return false;
            }
        }
        const int room = ffmpeg().swr_get_out_samples(swr.get(), f->nb_samples);
        if (room < 0)
            return false;
        const std::size_t before = out.size();
        out.resize(before + std::size_t(room) * 2);
        auto *target = reinterpret_cast<std::uint8_t *>(out.data() + before);
        const int made = ffmpeg().swr_convert(swr.get(), &target, room,
                                              const_cast<const std::uint8_t **>(f->extended_data), f->nb_samples);
        out.resize(before + std::size_t(qMax(0, made)) * 2);
        return made >= 0;
    }

    // Takes every frame the decoder has ready; false when a run of bad
    // packets shows the stream cannot be decoded.
    bool receive(int outRate, std::vector<std::int16_t> &out, int sent, QString &reason)
    {
        int r = sent;
        bool good = sent >= 0;
        while (good && (r = ffmpeg().avcodec_receive_frame(codec.get(), frame.get())) == 0) {
            good = convert(outRate, out);
            ffmpeg().av_frame_unref(frame.get());
        }
        if (good && (r == AVERROR(EAGAIN) || r == AVERROR_EOF)) {
            badPackets = 0;
            return true;
        }
        if (++badPackets <= kMaxBadPackets)
            return true;
        reason = QStringLiteral("the audio cannot be decoded (%1)").arg(r < 0 ? errorText(r) : QString());
        return false;
    }
};

StreamDecoder::StreamDecoder(std::function<bool()> interrupted, std::chrono::milliseconds timeout)
    : d(std::make_unique<Impl>())
{
    if (d->loaded)
        quietLibraries();
    d->interrupted = std::move(interrupted);
    d->timeout = timeout;
}

StreamDecoder::~StreamDecoder() = default;

bool StreamDecoder::open(const QString &address, QString &reason)
{
    if (!d->loaded) {
        reason = d->loadError;
        return false;
    }
    d->failedEntries.clear();
    d->entriesTried = 0;
    d->startDeadline();
    return d->openAddress(address, 0, reason);
}

QStringList StreamDecoder::takeFailedEntries()
{
    return std::exchange(d->failedEntries, {});
}

QString StreamDecoder::codecName() const
{
    return d->codec ? QString::fromLatin1(ffmpeg().avcodec_get_name(d->codec->codec_id)) : QString();
}

int StreamDecoder::sampleRate() const
{
    return d->codec ? d->codec->sample_rate : 0;
}

int StreamDecoder::channels() const
{
    return d->codec ? d->codec->ch_layout.nb_channels : 0;
}

StreamDecoder::Status StreamDecoder::read(int outRate, std::vector<std::int16_t> &out, QString &reason)
{
    StreamPacket ignored;
    return readPacket(outRate, true, out, ignored, reason);
}

std::shared_ptr<const PacketFormat> StreamDecoder::packetFormat() const
{
    return d->packets;
}

StreamDecoder::Status StreamDecoder::readPacket(int outRate, bool decode, std::vector<std::int16_t> &out,
                                                StreamPacket &kept, QString &reason)
{
    kept = StreamPacket{};
    if (!d->format || !d->codec) {
        reason = QStringLiteral("not open");
        return Status::Failed;
    }
    AVPacket *packet = d->packet.get();
    const std::int64_t readFrom = d->format->pb ? d->format->pb->pos : -1;
    d->startDeadline();
    const int r = ffmpeg().av_read_frame(d->format.get(), packet);
    if (r == AVERROR_EOF) {
        // What the decoder still holds, then the end.
        if (decode || !d->packets)
            d->receive(outRate, out, ffmpeg().avcodec_send_packet(d->codec.get(), nullptr), reason);
        reason = QStringLiteral("the stream ended");
        return Status::Ended;
    }
    if (r < 0) {
        reason = d->reasonFor(r);
        return Status::Failed;
    }
    std::unique_ptr<AVPacket, void (*)(AVPacket *)> unref(packet, ffmpeg().av_packet_unref);
    d->checkTitles(false, readFrom);
    if (packet->stream_index != d->streamIndex)
        return Status::Audio;
    d->reachIcyTitles(packet->pos);

    const AVStream *stream = d->format->streams[d->streamIndex];
    const CodecShape now = CodecShape::of(stream->codecpar);
    if (!(now == d->shape)) {
        // New setup data alone (the next link of an Ogg Vorbis chain, at
        // every song) is not worth a line.
        if (now.id != d->shape.id || now.rate != d->shape.rate || now.channels != d->shape.channels)
            d->note = QStringLiteral("Stream format changed: %1, %2 Hz, %3 channels")
                          .arg(QLatin1String(ffmpeg().avcodec_get_name(now.id)))
                          .arg(now.rate)
                          .arg(now.channels);
        if (!d->openDecoder(reason))
            return Status::Failed;
    }
    std::optional<std::array<std::uint8_t, kAdtsHeaderBytes>> adtsHeader;
    const bool aacPiece = d->packets && d->packets->codec == PacketCodec::Aac && !d->checkAdts(packet, adtsHeader);
    // The header packets of a new Ogg Vorbis link (odd first byte) are
    // setup, not audio: the track file has its own headers.
    const bool vorbisHeader =
        d->packets && d->packets->codec == PacketCodec::Vorbis && packet->size > 0 && (packet->data[0] & 1);
    if (vorbisHeader && !decode)
        return Status::Audio;
    if (aacPiece)
        return Status::Audio; // its sound, alone, would not match the kept track
    if (d->packets && packet->size > 0 && !vorbisHeader) {
        if (adtsHeader)
            kept.data.append(reinterpret_cast<const char *>(adtsHeader->data()), kAdtsHeaderBytes);
        kept.data.append(reinterpret_cast<const char *>(packet->data), packet->size);
        kept.samples = packetSamples(packet, stream->time_base, *d->packets);
        if (!decode)
            return Status::Audio;
    }
    return d->receive(outRate, out, ffmpeg().avcodec_send_packet(d->codec.get(), packet), reason) ? Status::Audio
                                                                                                  : Status::Failed;
}

std::optional<QString> StreamDecoder::takeTitle()
{
    return std::exchange(d->newTitle, std::nullopt);
}

std::optional<QString> StreamDecoder::takeNote()
{
    return std::exchange(d->note, std::nullopt);
}

int outputRateFor(int streamRate)
{
    return streamRate > 0 && streamRate % 8000 == 0 ? 48000 : 44100;
}

} // namespace skywell
