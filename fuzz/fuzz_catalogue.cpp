// Feeds arbitrary bytes as a catalogue file, line by line, through what
// the pick list does with a line: its name and, in both modes, fields 2
// to 7. Checks the bounds of the texts and the flag bits a line can set.
#include "shows/show.h"
#include "tuning/catalogueline.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace skywell;
    static const bool zoneSet = [] {
        setenv("TZ", "America/New_York", 1);
        return true;
    }();
    (void)zoneSet;
    constexpr std::int64_t now = 1800000000;
    constexpr std::uint32_t lineBits = SHOW_REPEATING | SHOW_DAYS | OPT_DIRECT_DOWNLOAD;

    const QByteArrayView all(reinterpret_cast<const char *>(data), qsizetype(size));
    qsizetype at = 0;
    while (at < all.size()) {
        qsizetype end = all.indexOf('\n', at);
        if (end < 0)
            end = all.size();
        const QByteArrayView line = all.sliced(at, qMin(end - at, kCatalogueLineBytes));
        at = end + 1;

        const QString name = catalogueEntryName(line);
        if (name.toUtf8().size() > kCatalogueNameBytes)
            std::abort();
        PickResult result;
        readCatalogueFields(line, now, result);
        if (result.address.toUtf8().size() > kCatalogueAddressBytes || (result.flags & ~lineBits) != 0)
            std::abort();
        if ((result.start != 0 && (result.start < now - 2 * 86400 || result.start > now + 2 * 86400)))
            std::abort();
    }
    return 0;
}
