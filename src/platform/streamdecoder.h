#pragma once

#include "recording/streampacket.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace skywell
{

// One opening of a stream with FFmpeg's libraries: finds the stream behind
// playlists, decodes its audio and converts it to 16-bit stereo at a rate
// chosen by the caller. Every wait on the network ends after `timeout`
// without data, or at once when `interrupted` says so. Not thread-safe:
// one thread opens, reads and destroys it.
class StreamDecoder final
{
public:
    enum class Status {
        Audio,  // samples were appended (possibly none yet)
        Ended,  // the stream came to its end
        Failed, // it broke; see the reason
    };

    StreamDecoder(std::function<bool()> interrupted, std::chrono::milliseconds timeout);
    ~StreamDecoder();
    StreamDecoder(const StreamDecoder &) = delete;
    StreamDecoder &operator=(const StreamDecoder &) = delete;

    // Opens the address (a URL or a local path), following .pls and .m3u
    // playlists a few levels deep: a playlist's entries are tried in their
    // order until one plays. False with a short reason.
    bool open(const QString &address, QString &reason);
    // The playlist entries the last open() tried in vain, each as
    // "<address>: <reason>", in the order tried.
    QStringList takeFailedEntries();

    // Of the opened stream.
    QString codecName() const;
    int sampleRate() const;
    int channels() const;

    // Reads one packet and appends its audio to `out` as interleaved
    // 16-bit stereo at `outRate`. Packets that do not decode are skipped
    // (Audio with nothing appended); a long run of them fails the stream.
    Status read(int outRate, std::vector<std::int16_t> &out, QString &reason);

    // The form the opened stream's packets are kept in as sent, or null
    // when its codec cannot be kept (FLAC, AAC without ADTS headers …).
    // The same object until the stream's codec or its setup changes (a
    // new Vorbis comment alone changes nothing).
    std::shared_ptr<const PacketFormat> packetFormat() const;
    // Reads one packet as read() does; an audio packet of a stream whose
    // codec can be kept is also handed out unchanged in `packet` (left
    // empty otherwise). Its audio is decoded into `out` only when `decode`
    // is true, or when the codec cannot be kept.
    Status readPacket(int outRate, bool decode, std::vector<std::int16_t> &out, StreamPacket &packet,
                      QString &reason);

    // The station title when it changed since the last call (ICY metadata
    // or in-stream tags), already clean; also right after open() when the
    // stream starts with one.
    std::optional<QString> takeTitle();
    // A note for the log about something the decoder recovered from
    // (a codec change), or nullopt.
    std::optional<QString> takeNote();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// The block rate for a stream: 48000 for the 48 kHz family (8, 16, 24,
// 32, 48, 96 kHz …), 44100 for everything else.
int outputRateFor(int streamRate);

} // namespace skywell
