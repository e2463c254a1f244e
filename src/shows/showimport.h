#pragma once

#include "shows/show.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>

namespace skywell
{

class Clock;
class Prompter;

// HHMM today in local time: today's local midnight + hours and minutes
// (which may carry into the next hour or day). With pacific, the time is
// taken as Pacific Standard Time: 28800 - the local standard offset west
// of UTC is added. Computed in 64 bits, clamped into the stored range.
std::int32_t localTimeToday(std::int64_t hhmm, bool pacific, const Clock &clock);

enum class ImportStatus { Ok, CannotOpen, ParseError };

// Parses the first line of a Show import file ("name|url|HHMM|HHMM|days|
// date"), at most 255 bytes, into a new Show (once, MP3 FM quality unless
// the days say otherwise). show must be a new Show; an empty line leaves it
// so, apart from the flags.
ImportStatus parseShowImport(const QByteArray &firstLine, bool pacific, const Clock &clock, Show *show);

enum class ImportRead {
    Ok,
    CannotOpen, // missing, no access, read error
    NotRegular  // a folder, a FIFO, a device, a socket: refused unread
};

// Reads the first line (up to 255 bytes, through the first line feed) of
// a regular file without ever blocking; why it failed goes to problem.
ImportRead readImportLine(const QString &path, QByteArray *line, QString *problem = nullptr);

// Offered the imported Show before it is added; may change it. True = OK.
using ShowEditorStep = std::function<bool(Show &show)>;
// Adds a confirmed Show to the list (append, reschedule, save, conflict
// check, hint).
using AddShowStep = std::function<void(const Show &show)>;

// Reads a Show import file, reports a file that cannot be opened or
// parsed through the prompter, hands the Show to the editor step and, on
// OK, to the add step. Returns false when the file could not be opened or
// parsed. Paths containing "-pst" hold Pacific times.
bool importShowFile(const QString &path, const Clock &clock, Prompter &prompter, const ShowEditorStep &edit,
                    const AddShowStep &add);

inline const QString kImportOpenErrorText = QStringLiteral("Unable to open imported show file:\n%1");
inline const QString kImportParseErrorText = QStringLiteral("Error parsing imported show file");
// A path that names something other than a file: the open message, and why.
inline const QString kImportNotAFileText =
    QStringLiteral("Unable to open imported show file:\n%1\n\nOnly a regular file can be imported: %2.");

} // namespace skywell
