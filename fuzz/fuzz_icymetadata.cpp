// Feeds arbitrary bytes as an ICY metadata packet and as in-stream tags.
// Whatever comes in, a title is clean: valid UTF-16 that encodes to UTF-8
// and back unchanged, no control characters, no spaces at the ends, no
// two spaces in a row, within the length limit.
#include "platform/icymetadata.h"
#include "platform/streamplaylist.h"

#include <cstdint>
#include <cstdlib>

namespace
{
void checkClean(const QString &title)
{
    using namespace skywell;
    if (title.size() > kMaxStationTitleLength)
        std::abort();
    if (QString::fromUtf8(title.toUtf8()) != title)
        std::abort();
    if (title.startsWith(QLatin1Char(' ')) || title.endsWith(QLatin1Char(' ')) || title.contains(QLatin1String("  ")))
        std::abort();
    for (const QChar c : title)
        if (c.category() == QChar::Other_Control || c == QChar(0xFFFD))
            std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace skywell;
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    if (const auto title = icyStreamTitle(bytes))
        checkClean(*title);
    checkClean(cleanStationText(bytes));
    const QString half = cleanStationText(bytes.first(bytes.size() / 2));
    checkClean(
        cleanStationText(combineArtistAndTitle(half, cleanStationText(bytes.sliced(bytes.size() / 2))).toUtf8()));

    // The same bytes as a fetched playlist: everything it names is http(s).
    const QString base = QStringLiteral("http://radio.example/list.pls");
    for (PlaylistKind kind : {PlaylistKind::Pls, PlaylistKind::M3u}) {
        for (const QString &entry : playlistEntries(bytes, kind, base))
            if (!entry.startsWith(QLatin1String("http://")) && !entry.startsWith(QLatin1String("https://")))
                std::abort();
    }
    (void)playlistKind(bytes, bytes.first(qMin<qsizetype>(bytes.size(), 20)), base);
    return 0;
}
