#pragma once

#include "recording/captureblock.h"
#include "recording/outputfile.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>

namespace skywell
{

struct TagFields;

// The writer of one stream's file in a track: opened on the stream's first
// block, given every block after it, closed with the track's tags. Opens
// and writes say how they went, with the system error of a failure; what
// went wrong is also left as texts in takeErrors() for the caller to log.
// A failed write loses that block only: later blocks are written again.
class TrackWriter
{
public:
    virtual ~TrackWriter() = default;

    // Creates the file for the stream whose first block this is. A failure
    // that leaves no file behind may succeed under another name.
    virtual WriteOutcome open(const QString &path, const CaptureBlock &first) = 0;
    virtual WriteOutcome write(const CaptureBlock &block) = 0;
    // Whether this block would take the file past its size limit; only a
    // WAV file has one.
    virtual bool wouldExceedLimit(const CaptureBlock &) const { return false; }
    // Closes with the tag fields (WAV files take none). False when the file
    // is lost or some audio never reached it.
    virtual bool close(const TagFields &tags) = 0;
    // What went wrong since the last call, one text a failure.
    virtual QStringList takeErrors() = 0;

    virtual bool isOpen() const = 0;
    // Bytes put into the file so far: samples, encoded or kept audio.
    virtual std::uint64_t bytesWritten() const = 0;
    // The file is MP3 that this writer encodes from the samples.
    virtual bool encodesMp3() const { return false; }
};

// The writer for a stream whose first block this is: its packets kept as
// the station sent them when the block carries one; else MP3 at the
// quality the output flags ask for (mp3QualityForFlags); else WAV in CD
// format, with its size limit lowered to wavLimit (tests).
std::unique_ptr<TrackWriter> makeTrackWriter(std::uint32_t outputFlags, const CaptureBlock &first,
                                             std::uint32_t wavLimit);

} // namespace skywell
