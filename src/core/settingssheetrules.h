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

// The file-naming format: "%%s" (where the name goes) exactly once, date
// and time codes, "%%%%" for a percent sign, and no other "%" code.
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
class Registry;

// Accepting the sheet (OK or Finish): settings becomes accepted, is saved
// ("First Time" = 0) and the autostart entry follows startOnBoot. An
// autostart entry that cannot be changed shows "Registry Error" and
// changes nothing (false); the sheet then stays open.
bool saveAcceptedSettings(Settings &settings, const Settings &accepted, Registry &registry,
                          const AutostartEntry &autostart, Prompter &prompter);

inline const QString kEmptyFolderText = QStringLiteral("Please enter a folder for %1.");
inline const QString kBadFolderText = QStringLiteral("The folder %1 cannot be used for %2: %3");
inline const QString kFileNameFormatText =
    QStringLiteral("The file naming format must hold \"%%s\" exactly once, where the show's name goes, and no "
                   "other \"%%\" code except the date and time codes.");
inline const QString kProxyPortText = QStringLiteral("Please enter a port between 1 and 65535.");

} // namespace skywell
