#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstdint>
#include <optional>

namespace skywell
{

// The two catalogues beside the program: known Shows and known stations.
enum class CatalogueMode { Show, Station };

QString catalogueFileName(CatalogueMode mode); // "shows.txt", "stations.txt"
QString catalogueTitle(CatalogueMode mode);    // "Pick a Show", "Pick a Station"

// Bounds of the texts taken from a catalogue or the station directory, in
// UTF-8 bytes (the Show's name and address fields less their NUL).
inline constexpr qsizetype kCatalogueNameBytes = 127;
inline constexpr qsizetype kCatalogueAddressBytes = 511;
// A line longer than this is read up to here; the rest is skipped.
inline constexpr qsizetype kCatalogueLineBytes = 64 * 1024;

// What a pick hands back to fill a new Show.
struct PickResult {
    QString name;
    QString address = QStringLiteral("http://");
    std::int64_t start = 0; // seconds since 1970
    std::int64_t end = 0;
    std::uint32_t flags = 0;
    char playerLetter = 0; // 'R', 'W', another letter, or 0 for none
};

// Flags of a station picked in station mode: unscheduled, MP3 CD quality.
inline constexpr std::uint32_t kPickedStationFlags = 0x2100;

// Reads a catalogue file line by line without the line ends, each line
// bounded by kCatalogueLineBytes, whatever the file holds.
class CatalogueReader final
{
public:
    explicit CatalogueReader(const QString &path);
    bool isOpen() const { return m_file.isOpen(); }
    // The next line; false at the end of the file.
    bool next(QByteArray *line);

private:
    QFile m_file;
};

// 8-bit catalogue text as a string: UTF-8 when it is valid UTF-8, else
// Latin-1; then cut to maxBytes of UTF-8 on a character boundary.
QString catalogueText(QByteArrayView bytes, qsizetype maxBytes);

// The name of a line: its text up to the first "|".
QString catalogueEntryName(QByteArrayView line);

// A start or end field "HHMM" (0000 to 2359, minutes under 60) as the
// moment of that Pacific Standard Time clock time on the local date of
// now. Nothing when the field is not such a time.
std::optional<std::int64_t> catalogueTime(QByteArrayView field, std::int64_t now);

// Reads fields 2 to 7 of a line into result (address, start, end, days
// with the repeating bit, direct download, player letter). Stops at the
// first missing field, keeping what was read, and then returns false.
bool readCatalogueFields(QByteArrayView line, std::int64_t now, PickResult &result);

// The result of picking the entry called name from the catalogue file at
// path: the first line with that name, the initial result when none has
// it; in station mode the flags become kPickedStationFlags unless a field
// was missing.
PickResult pickCatalogueEntry(const QString &path, CatalogueMode mode, const QString &name, std::int64_t now);

} // namespace skywell
