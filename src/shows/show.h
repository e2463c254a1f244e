#pragma once

#include <QByteArray>
#include <QString>

#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace skywell
{

// Bits of Show::flags.
inline constexpr std::uint32_t SHOW_MON = 0x1;
inline constexpr std::uint32_t SHOW_TUE = 0x2;
inline constexpr std::uint32_t SHOW_WED = 0x4;
inline constexpr std::uint32_t SHOW_THU = 0x8;
inline constexpr std::uint32_t SHOW_FRI = 0x10;
inline constexpr std::uint32_t SHOW_SAT = 0x20;
inline constexpr std::uint32_t SHOW_SUN = 0x40;
inline constexpr std::uint32_t OUT_NONE = 0x80;
inline constexpr std::uint32_t OUT_MP3_CD_QUALITY = 0x100;
inline constexpr std::uint32_t OUT_MP3_AM = 0x200;
inline constexpr std::uint32_t OUT_MP3_FM = 0x400;
inline constexpr std::uint32_t SHOW_MANUAL = 0x800;
inline constexpr std::uint32_t SHOW_REPEATING = 0x1000;
inline constexpr std::uint32_t SHOW_UNSCHEDULED = 0x2000;
inline constexpr std::uint32_t OUT_WAV = 0x4000;
inline constexpr std::uint32_t OUT_AUDIO_CD = 0x8000;
inline constexpr std::uint32_t OPT_NO_RETUNE = 0x10000;
inline constexpr std::uint32_t OPT_DEAD_AIR = 0x20000;
inline constexpr std::uint32_t OPT_DIRECT_DOWNLOAD = 0x40000;
inline constexpr std::uint32_t OPT_MUTE = 0x80000;
inline constexpr std::uint32_t OUT_CUSTOM = 0x100000;
inline constexpr std::uint32_t OPT_SILENCE_SPLIT = 0x200000;
inline constexpr std::uint32_t OPT_TIME_SPLIT = 0x400000;
inline constexpr std::uint32_t OPT_ITUNES = 0x800000;
// A stream source starts a new track whenever the station's title changes.
inline constexpr std::uint32_t OPT_TITLE_SPLIT = 0x1000000;
inline constexpr std::uint32_t OUT_MP3_CD = 0x2000000;
inline constexpr std::uint32_t OPT_COMPRESS_SPEECH = 0x4000000;
// A stream source's packets are written as the station sent them (MP3,
// AAC, Ogg Vorbis, Ogg Opus), without decoding and encoding again.
inline constexpr std::uint32_t OUT_AS_BROADCAST = 0x8000000;

inline constexpr std::uint32_t SHOW_DAYS = 0x7f;

// Values of Show::addressOrigin.
inline constexpr char kAddressTyped = 0;
inline constexpr char kAddressFromCatalogue = 'C';
inline constexpr char kAddressFromDirectory = 'D';
inline constexpr std::uint32_t OUT_MASK = 0xa10c780;

inline constexpr std::uint32_t kNewShowFlags =
    SHOW_REPEATING | OUT_MP3_FM | SHOW_MON | SHOW_TUE | SHOW_WED | SHOW_THU | SHOW_FRI; // 0x141f

// One entry of the Show list. The object is exactly the 1052-byte record
// of the Show file, little-endian, field by field (checked below), so a
// record is read and written as it stands. Text fields hold UTF-8 and are
// NUL-terminated when the program writes them; read them through
// fieldText(), which never runs past the field.
struct Show {
    std::int32_t reserved0;
    char name[128];
    char url[512];
    char lastStatus[256];
    std::int32_t onceDate;  // local midnight of the once date; 0 = none
    std::int32_t startTime; // next (or only) occurrence, seconds since 1970 UTC
    std::int32_t endTime;   // its end
    std::uint32_t flags;
    std::int32_t lastRecorded; // scheduled start of the last recording; 0 = never
    std::int32_t reserved920;
    char recordSource[28];
    std::int16_t serial; // creation number of this process, never read back
    std::uint8_t reserved954[2];
    std::int32_t reserved956; // -1 in every Show read from the file
    std::int32_t reserved960;
    std::int32_t deadAirMs;
    std::int32_t silenceMs;
    std::int32_t splitMinutes;
    char tunerKind;                // 'R', 'W', anything else = other
    std::uint8_t splitAtMinute[8]; // minutes past the hour; 255 = unused
    // Where the address came from: 0 typed by the user, kAddressFromCatalogue
    // or kAddressFromDirectory. Only a typed address may name a program.
    char addressOrigin;
    // The whole recording-source name when it is longer than recordSource
    // holds (sound server names often are); recordSource then keeps its
    // first 27 bytes. Empty otherwise. Read both through recordSourceName().
    char recordSourceFull[66];

    // A new Show with the defaults, numbered with the next serial.
    Show();

    bool isUnscheduled() const;
    bool isRepeating() const;
    bool isOnce() const { return !isUnscheduled() && !isRepeating(); }
};

inline constexpr std::size_t kShowRecordSize = 1052;

static_assert(std::endian::native == std::endian::little, "the Show record is stored little-endian");
static_assert(sizeof(Show) == kShowRecordSize);
static_assert(offsetof(Show, reserved0) == 0);
static_assert(offsetof(Show, name) == 4);
static_assert(offsetof(Show, url) == 132);
static_assert(offsetof(Show, lastStatus) == 644);
static_assert(offsetof(Show, onceDate) == 900);
static_assert(offsetof(Show, startTime) == 904);
static_assert(offsetof(Show, endTime) == 908);
static_assert(offsetof(Show, flags) == 912);
static_assert(offsetof(Show, lastRecorded) == 916);
static_assert(offsetof(Show, reserved920) == 920);
static_assert(offsetof(Show, recordSource) == 924);
static_assert(offsetof(Show, serial) == 952);
static_assert(offsetof(Show, reserved954) == 954);
static_assert(offsetof(Show, reserved956) == 956);
static_assert(offsetof(Show, reserved960) == 960);
static_assert(offsetof(Show, deadAirMs) == 964);
static_assert(offsetof(Show, silenceMs) == 968);
static_assert(offsetof(Show, splitMinutes) == 972);
static_assert(offsetof(Show, tunerKind) == 976);
static_assert(offsetof(Show, splitAtMinute) == 977);
static_assert(offsetof(Show, addressOrigin) == 985);
static_assert(offsetof(Show, recordSourceFull) == 986);

// The list of Shows: file order is list order is display order.
using ShowList = std::vector<Show>;

// The serial the next Show will take (a process-wide counter from 1).
std::int16_t peekNextSerial();

// The bytes of a text field up to its NUL or its end, whichever comes first.
QByteArray fieldBytes(const char *field, std::size_t size);
template <std::size_t N> QByteArray fieldBytes(const char (&field)[N])
{
    return fieldBytes(field, N);
}
template <std::size_t N> QString fieldText(const char (&field)[N])
{
    return QString::fromUtf8(fieldBytes(field, N));
}

// Stores UTF-8 text in a field: cut to size - 1 bytes without splitting a
// character, NUL-terminated, the rest of the field cleared.
void setField(char *field, std::size_t size, const QByteArray &utf8);
template <std::size_t N> void setField(char (&field)[N], const QByteArray &utf8)
{
    setField(field, N, utf8);
}
template <std::size_t N> void setFieldText(char (&field)[N], const QString &text)
{
    setField(field, N, text.toUtf8());
}

// The longest recording-source name a Show keeps, in UTF-8 bytes.
inline constexpr qsizetype kMaxRecordSourceBytes = 65;

// The Show's recording source: the whole name kept past the record's old
// field when that field holds its beginning, else the old field.
QString recordSourceName(const Show &show);
// Stores the source: up to 27 bytes in recordSource alone, longer names
// also whole in recordSourceFull. False (Show unchanged) for a name longer
// than kMaxRecordSourceBytes, which would be cut into a name that selects
// nothing.
bool setRecordSourceName(Show &show, const QString &name);

// The day bit of a local weekday (0 = Sunday ... 6 = Saturday).
std::uint32_t dayBitOfWeekday(int weekday);

} // namespace skywell
