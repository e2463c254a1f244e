// Feeds arbitrary bytes to the Show import parser as the first line of an
// import file, in Pacific and local time.
#include "core/clock.h"
#include "shows/showimport.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const bool zoneSet = [] {
        setenv("TZ", "America/New_York", 1);
        return true;
    }();
    (void)zoneSet;
    static skywell::ManualClock clock(1796680800);
    const bool pacific = size > 0 && (data[0] & 1);
    skywell::Show show;
    const QByteArray line(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    skywell::parseShowImport(line, pacific, clock, &show);
    // Every text must stay inside its field.
    if (skywell::fieldBytes(show.name).size() > 127 || skywell::fieldBytes(show.url).size() > 511)
        std::abort();
    return 0;
}
