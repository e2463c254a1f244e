#include "recording/streamtable.h"

#include "recording/recordingsession.h"

#include <algorithm>

namespace skywell
{

int findStream(const RecordingSession &session, const std::uint8_t *formatHeader)
{
    for (int i = 0; i < session.streamCount; ++i) {
        const auto &format = session.streams.at(static_cast<std::size_t>(i)).format;
        if (std::equal(format.begin(), format.end(), formatHeader))
            return i;
    }
    return -1;
}

int bestStream(const RecordingSession &session)
{
    int best = 0;
    for (int i = 1; i < session.streamCount; ++i) {
        if (session.streams.at(static_cast<std::size_t>(i)).byteCount >
            session.streams.at(static_cast<std::size_t>(best)).byteCount)
            best = i;
    }
    return best;
}

} // namespace skywell
