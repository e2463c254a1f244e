#pragma once

#include "shows/showeditorvalues.h"

#include <QJsonObject>
#include <QString>

#include <cstdint>
#include <optional>

namespace skywell
{

// The names a client uses for a Show's recording source and output kind.
inline const QString kStreamSourceName = QStringLiteral("stream");
inline const QString kSoundCardSourceName = QStringLiteral("soundcard");
inline const QString kDownloadSourceName = QStringLiteral("download");

// A client's Show options put into the Show editor's values as the user
// would set them in the editor: values comes filled from the Show (see
// openShowEditor) and only the options given change. Returns the message
// the editor's OK would show, or a message of the same kind for what only
// a client can give wrong (a date, an unknown word); nothing when the
// values may be accepted. soundCardSource is the recording source
// "soundcard" stands for. mp3Folder is where the name's test file goes.
std::optional<QString> applyShowArguments(const QJsonObject &arguments, ShowEditorValues &values, std::int64_t now,
                                          const QString &soundCardSource, const QString &mp3Folder);

// The index into kOutputKindFlags of an output name; -1 when unknown.
int outputIndexOfName(const QString &name);
QString outputNameOfFlags(std::uint32_t flags);
QString sourceNameOf(const QString &recordSource);

// Longest name the editor's name field takes.
inline constexpr int kMaxShowNameChars = 119;
// Longest recording a Show may have: its end lies within a day of its start.
inline constexpr std::int64_t kMaxShowMinutes = 1440;

inline const QString kNameTooLongText = QStringLiteral("The name of a show may have at most %1 characters.");
inline const QString kAddressNotWebText =
    QStringLiteral("The address \"%1\" is not a web address. Please enter an address that begins with http:// or "
                   "https://.");
inline const QString kLengthRangeText = QStringLiteral("Please enter a length between 1 and %1 minutes.");
inline const QString kUnknownWordText = QStringLiteral("Unknown %1 \"%2\". Choose one of: %3.");
inline const QString kBadDateText = QStringLiteral("\"%1\" is not a date. Please enter it as YYYY-MM-DD.");
inline const QString kBadTimeText = QStringLiteral("\"%1\" is not a time of day. Please enter it as HH:MM.");
inline const QString kNoWeekdayText = QStringLiteral("Please choose at least one day of the week.");
inline const QString kOneScheduleText = QStringLiteral("Please choose only one of --once, --weekly and --unscheduled.");
inline const QString kAsBroadcastNeedsStreamText =
    QStringLiteral("Only a show recorded from the stream itself can be kept as broadcast.");
inline const QString kOnceInPastText = QStringLiteral("The recording time %1 has already passed.");

} // namespace skywell
