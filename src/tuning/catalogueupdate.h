#pragma once

#include "core/settings.h"
#include "tuning/catalogueline.h"
#include "tuning/download.h"

#include <QObject>

#include <QString>

#include <cstdint>
#include <memory>

namespace skywell
{

class Prompter;
class SettingsStore;

// The base address of the catalogue server, a profile value; empty by
// default, and then no update is offered and asking for one says so.
inline const QString &kCatalogueAddressSetting = SettingNames::catalogueAddress;
// The day of the last update or offer (per user, the Program settings group).
inline const QString kCatalogueUpdateDayValue = QStringLiteral("DBUpdateTimeStamp");

inline const QString kStationListPath = QStringLiteral("/user/dump_radio_stations_50.php");
inline const QString kShowListPath = QStringLiteral("/user/dump_shows_50.php");

// The local date of now as whole days since 1 January 1601.
std::int64_t catalogueDayNumber(std::int64_t now);

// True when the last offer or update is more than 7 days old (or never
// happened).
bool catalogueUpdateDue(const SettingsStore &settingsStore, std::int64_t now);
void storeCatalogueUpdateDay(SettingsStore &settingsStore, std::int64_t now);

// True when the file is a catalogue: at least one entry, and every line
// a name and an address ("name|scheme://..."), no NUL bytes. An error
// page or a list cut off in the middle of its first field is not.
bool isCatalogueList(const QString &path);

// Replaces both catalogues from the catalogue server, beside the main
// loop: each list is downloaded under a hidden name in the program folder
// and replaces the program folder's copy only when it arrived complete and
// reads as a catalogue; the replacement is written beside it and renamed
// into place, so a list is never half written. finished() follows every
// start() that returned true.
class CatalogueUpdate final : public QObject
{
    Q_OBJECT
public:
    CatalogueUpdate(DownloadSetup setup, Prompter &prompter, SettingsStore &settingsStore, QString programFolder,
                    QObject *parent = nullptr);
    ~CatalogueUpdate() override;

    // A catalogue server is set ("Catalogue Address").
    bool hasAddress() const;
    void setAddress(const QString &address);

    // The pick dialog's opening step: when a server is set and an update
    // is due, asks kCatalogueUpdateQuestion, starts the update on Yes and
    // stores today. True when an update started.
    bool offerIfDue(std::int64_t now);

    // Starts downloading the station list, then the show list. False when
    // it cannot start: no server is set (kNoCatalogueAddressText) or an
    // update runs already.
    bool start(std::int64_t now);
    bool isRunning() const { return m_download != nullptr; }

    // Largest list accepted.
    static constexpr qint64 kMaxListBytes = 64 * 1024 * 1024;

Q_SIGNALS:
    // The update has ended; updated: the station list was replaced.
    void finished(bool updated);

private:
    bool fetch(const QString &path, CatalogueMode mode);
    void listArrived(CatalogueMode mode);
    bool replace(const QString &downloaded, const QString &file);
    void end(bool updated);

    DownloadSetup m_setup;
    Prompter &m_prompter;
    SettingsStore &m_settingsStore;
    QString m_programFolder;
    QString m_base;
    std::int64_t m_now = 0;
    std::unique_ptr<Download> m_download;
};

inline const QString kCatalogueUpdateQuestion =
    QStringLiteral("Would you like to download the most recent the list of shows and stations?\n\n"
                   "Note: You need to be connected to the Internet to do this.");
inline const QString kCatalogueUpdateError =
    QStringLiteral("Error: Unable to update list of shows and stations.\n\nIf you connect to the Internet via a "
                   "proxy, please configure it now using Settings.  Otherwise, it may be a temporary network "
                   "problem, so try again later.");
inline const QString kCatalogueUpdatedText =
    QStringLiteral("Your list of shows and stations has been updated successfully.");
// A list arrived but cannot be stored: %1 the file, %2 the reason.
inline const QString kCatalogueSaveError =
    QStringLiteral("Error: Unable to save the list of shows and stations as %1.\n\n%2");
inline const QString kNoCatalogueAddressText =
    QStringLiteral("No address is set for the list of shows and stations, so it cannot be updated from the web.");

} // namespace skywell
