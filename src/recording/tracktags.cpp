#include "recording/tracktags.h"

#include "recording/outputfile.h"

namespace skywell
{

qsizetype reserveTrackTagRoom(OutputFile &file)
{
    const QByteArray room = id3v2Tag({}, kTrackTagRoom);
    return file.writeAll(room.constData(), std::size_t(room.size())) ? kTrackTagRoom : 0;
}

bool writeTrackTags(OutputFile &file, const TagFields &tags, qsizetype audioStart, std::int64_t openedAt)
{
    bool written = true;
    if (audioStart > 0) {
        TagFields fields = tags;
        if (fields.recorded == 0)
            fields.recorded = openedAt;
        const QByteArray tag = id3v2Tag(fields, audioStart);
        written = file.writeAt(0, tag.constData(), std::size_t(tag.size()));
    }
    const QByteArray tag = id3v1Tag(tags.title, tags.artist, tags.album, tags.trackNumber);
    if (!tag.isEmpty() && !file.writeAll(tag.constData(), std::size_t(tag.size())))
        written = false;
    return written;
}

} // namespace skywell
