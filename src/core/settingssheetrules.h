#pragma once

#include "core/settings.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace skywell
{

// The rules of the settings sheet; the sheet's pages only show values.

// The pages of the sheet, in tab order, as bits of a "shown" mask.
enum SettingsPageBit : unsigned {
    kFoldersPage = 0x1,
    kTuningPage = 0x2,
    kConnectionsPage = 0x4,
    kSoundMixerPage = 0x8,
    kOtherPage = 0x10,
};

// The values the pages hand back: fields of pages never shown stay as they
// were in original, unchecked.
Settings settingsFromPages(const Settings &original, const Settings &pages, unsigned shownPages);

// A number box: "Please enter an integer." or the range message, or
// nothing when text is an integer from min to max.
std::optional<QString> integerProblem(const QString &text, qint64 min, qint64 max);
inline constexpr int kMaxConnectLeadSeconds = 120;
inline constexpr int kMaxRetuneSeconds = 180;

// A folder box: refuses an empty text, and a folder that cannot be created
// or written (the message says which and why). Creates a missing folder.
std::optional<QString> folderProblem(const QString &folder, const QString &caption);

// The file-naming format as the output naming uses it: date and time codes
// (strftime, with the "#" flag) are filled in first, then "%%s", at most
// once, takes the Show's name and "%%%%" gives a percent sign. Refused: an
// empty pattern, a code the time formatting does not know, one that puts a
// line break or tab into names, and any "%" left over that is neither of
// those two (it would stay in every file name as it is).
std::optional<QString> fileNameFormatProblem(const QString &format);

// The proxy port box: empty, or a port 1-65535.
std::optional<QString> proxyPortProblem(const QString &port);

// The capture device list of the Sound Mixer page: every device but ours
// and "Default Device", and the entry to select (-1 for an empty list).
struct CaptureDeviceList {
    QStringList items;
    int selected = -1;
};
CaptureDeviceList captureDeviceList(const QStringList &devices, const QString &soundCard);

// What accepting stores as soundCard: the selected entry, or the previous
// card when no device was listed.
QString soundCardFromList(const QString &selected, const QString &previous);

class AutostartEntry;
class Prompter;
class SettingsStore;

// What the sheet edits beside Settings, under the value names that the
// tuning (dial-up commands, in the profile) and the music library (its
// server, among the per-user values) read each time they act.
struct SheetExtras {
    QString dialCommand;
    QString hangUpCommand;
    QString libraryHost;
    QString libraryPort; // as typed; empty: the library's usual port
    QString libraryPassword;
    QString libraryFolder;    // empty: the user's music folder
    QString librarySubfolder; // empty: "Skywell"
    QString playerCommand;    // for Shows tuned "with a command"
    QString catalogueAddress; // empty: no catalogue updates
    QString directoryAddress; // empty: the public station directory
    bool operator==(const SheetExtras &) const = default;
};
SheetExtras loadSheetExtras(const SettingsStore &settingsStore);
// As settingsFromPages: pages never shown hand back what they were given.
SheetExtras extrasFromPages(const SheetExtras &original, const SheetExtras &pages, unsigned shownPages);
// Writes the values that differ from original; false when they could not
// be saved (the settings store has said why).
bool saveSheetExtras(const SheetExtras &original, const SheetExtras &accepted, SettingsStore &settingsStore);

// A dial-up command box: empty is allowed only when required is false;
// otherwise the line must name a program that can be run.
std::optional<QString> commandProblem(const QString &command, bool required);
// The dial-up boxes are shown while a dial command is given or dial-up is
// on; a computer without one is not asked about dial-up.
bool dialupShown(bool useDialup, const QString &dialCommand);
// The music library boxes: a server name (no blanks, no scheme; empty: no
// library), a port 1-65535 (or empty) and a music folder given as a full
// path (or empty).
std::optional<QString> libraryHostProblem(const QString &host);
std::optional<QString> libraryPortProblem(const QString &port);
std::optional<QString> libraryFolderProblem(const QString &folder);
// A server's base address box (catalogue, station directory): empty, or
// an http or https address naming a server. what names the box.
std::optional<QString> serverAddressProblem(const QString &address, const QString &what);

// Accepting the sheet (OK or Finish): settings becomes accepted, is saved
// ("First Time" = 0) and the autostart entry follows startOnBoot. An
// autostart entry that cannot be changed shows "Settings Error" and
// changes nothing (false); the sheet then stays open.
bool saveAcceptedSettings(Settings &settings, const Settings &accepted, SettingsStore &settingsStore,
                          const AutostartEntry &autostart, Prompter &prompter);

inline const QString kEmptyFolderText = QStringLiteral("Please enter a folder for %1.");
inline const QString kBadFolderText = QStringLiteral("The folder %1 cannot be used for %2: %3");
inline const QString kFileNameFormatText =
    QStringLiteral("The file naming format may hold date and time codes (such as %b, %#d, %Y, %H), \"%%s\" once "
                   "where the show's name goes, and \"%%%%\" for a percent sign, but no other \"%\" code.");
inline const QString kProxyPortText = QStringLiteral("Please enter a port between 1 and 65535.");
inline const QString kNoDialCommandText =
    QStringLiteral("Please enter the command that dials your connection (for example \"pon\"), or untick "
                   "\"Connect via default Dial-up connection\".");
inline const QString kCommandNotFoundText =
    QStringLiteral("The program \"%1\" of the command \"%2\" was not found or cannot be run.");
inline const QString kLibraryHostText =
    QStringLiteral("Please enter the music library's server as a host name or address (such as \"localhost\" or "
                   "\"192.168.1.5\", without \"http://\" or a port), or leave it empty if you have none.");
inline const QString kServerAddressText =
    QStringLiteral("Please enter the %1 as an address starting with \"http://\" or \"https://\" and naming a "
                   "server, or leave it empty.");
inline const QString kLibraryFolderText =
    QStringLiteral("Please enter the music library's folder as a full path starting with \"/\", or leave it empty.");

} // namespace skywell
