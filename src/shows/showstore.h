#pragma once

#include "shows/show.h"

#include <QString>

namespace skywell
{

class ActivityLog;
class Prompter;

// The Show list's place on disk, and what the user hears about it. The
// list itself stays with its owner; a save that fails leaves it there, and
// the next save writes it whole again.
class ShowStore final
{
public:
    ShowStore(QString programFolder, ActivityLog &log, Prompter &prompter);

    // Start-up: appends the records of "Skywell5.dat". A file that is there
    // but cannot be read (a folder, a FIFO, a device, one of absurd size, a
    // read error) is logged, reported, and never written over: from then on
    // the list is saved to a new file beside it.
    void load(ShowList &shows);

    // Writes the list. A failure is logged with the system's reason every
    // time and shown to the user when it follows a good save, so that a
    // failing disk does not bring up a box at every change.
    bool save(const ShowList &shows);

    // "Skywell5.dat" could not be read at start-up.
    bool fileUnreadable() const { return m_unreadable; }
    QString showFilePath() const;
    // Where saves go while the Show file cannot be read; empty until the
    // first such save.
    QString besidePath() const { return m_besidePath; }

private:
    QString pickBesidePath() const;

    QString m_programFolder;
    ActivityLog &m_log;
    Prompter &m_prompter;
    bool m_unreadable = false;
    bool m_failing = false;
    QString m_besidePath;
};

inline const QString kShowListUnreadableText = QStringLiteral(
    "Cannot read the show list %1: %2.\n\nThe file is left as it is and the list starts empty. Shows added now are "
    "saved in a new file beside it.");
inline const QString kShowListSavedBesideText =
    QStringLiteral("The show list %1 could not be read, so it is not written over. The shows are saved to:\n%2");
inline const QString kShowListNotSavedText = QStringLiteral(
    "Cannot save the show list %1: %2.\n\nThe shows stay in memory and are saved again at the next change; changes "
    "since the last good save are lost if Skywell ends first.");

} // namespace skywell
