#pragma once

#include "tuning/download.h"

#include <QString>

#include <cstdint>

namespace skywell
{

class Prompter;
class Registry;

// The base address of the catalogue server, a profile value; empty by
// default, and an update then fails at once with the update error.
inline const QString kCatalogueAddressSetting = QStringLiteral("Catalogue Address");
// The day of the last update or offer (per user, "Software\Skywell5").
inline const QString kCatalogueUpdateDayValue = QStringLiteral("DBUpdateTimeStamp");

inline const QString kStationListPath = QStringLiteral("/user/dump_radio_stations_50.php");
inline const QString kShowListPath = QStringLiteral("/user/dump_shows_50.php");

// The local date of now as whole days since 1 January 1601.
std::int64_t catalogueDayNumber(std::int64_t now);

// True when the last offer or update is more than 7 days old (or never
// happened).
bool catalogueUpdateDue(const Registry &registry, std::int64_t now);
void storeCatalogueUpdateDay(Registry &registry, std::int64_t now);

// Replaces both catalogues from the catalogue server. Each list is
// downloaded into the temporary-files folder and replaces the program
// folder's copy only when it arrived complete; the replacement is
// written beside it and renamed into place, so a list is never half
// written.
class CatalogueUpdate final
{
public:
    CatalogueUpdate(DownloadSetup setup, Prompter &prompter, Registry &registry, QString programFolder,
                    QString tempFolder);

    // The pick dialog's opening step: when an update is due, asks
    // kCatalogueUpdateQuestion and updates on Yes; always stores today.
    // True when the lists were updated.
    bool offerIfDue(std::int64_t now);

    // Downloads and replaces the station list, then the show list, with
    // the messages of the update. True when the station list was
    // replaced.
    bool run(std::int64_t now);

    // Largest list accepted.
    static constexpr qint64 kMaxListBytes = 64 * 1024 * 1024;

private:
    bool fetch(const QString &base, const QString &path, const QString &file, QString *downloaded);
    bool replace(const QString &downloaded, const QString &file);

    DownloadSetup m_setup;
    Prompter &m_prompter;
    Registry &m_registry;
    QString m_programFolder;
    QString m_tempFolder;
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

} // namespace skywell
