#pragma once

#include "recording/outputfile.h"
#include "recording/streampacket.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <optional>

namespace skywell
{

struct TagFields;

// Writes a stream's packets into a track file unchanged, as the station
// sent them, with the tags in the file's own form. Failures return a failed
// outcome (false from close) and leave a text in takeErrors(), once per file for write errors. A
// failed write loses that packet only: later packets and the close are
// still written (the file stays valid). Disk writes go through OutputFile.
class PacketWriter
{
public:
    virtual ~PacketWriter() = default;

    // Creates the file anew for packets of this format. Ogg files begin
    // with the codec's header packets at once (placeholder tags), so a
    // file cut short by a crash still plays.
    virtual WriteOutcome open(const QString &path, const PacketFormat &format) = 0;
    // Appends one packet.
    virtual WriteOutcome write(const StreamPacket &packet) = 0;
    // Writes the tags (a zero recording time means the time of open) and
    // closes. False when nothing was written, or the file was lost.
    virtual bool close(const TagFields &tags) = 0;
    // Some write to this file failed (and was reported).
    virtual bool hadWriteError() const = 0;
    // What went wrong since the last call, one text a failure.
    virtual QStringList takeErrors() = 0;

    virtual bool isOpen() const = 0;
    // For tests that replace the file underneath (disk full).
    virtual int fileDescriptor() const = 0;
    // Audio bytes put into the file so far (tags and Ogg framing not counted).
    virtual std::uint64_t bytesWritten() const = 0;
};

// The writer for the codec: MP3 and ADTS frames one after another between
// an ID3v2.4 tag (room reserved at open, filled at close) and an ID3v1.1
// tag; Vorbis and Opus as a complete Ogg stream of their own (header
// packets first, the tags as Vorbis comments).
std::unique_ptr<PacketWriter> makePacketWriter(PacketCodec codec);

} // namespace skywell
