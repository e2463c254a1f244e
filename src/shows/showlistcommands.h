#pragma once

#include "shows/show.h"

#include <QString>

#include <cstdint>

namespace skywell
{

class Clock;
class Prompter;
class SettingsStore;
class Scheduler;
class ShowStore;

// The "Next Recording" column of a Show: "Unscheduled" for an unscheduled
// Show or a repeating one without a weekday, else its list time text.
QString nextRecordingColumn(const Show &show, const Clock &clock);
bool showsAsUnscheduled(const Show &show);

// The column text of a row: "RECORDING until <end>" for the Show being
// recorded (recordingName empty: none), the Next Recording text otherwise.
QString showRowText(const Show &show, const QString &recordingName, std::int64_t recordingEnd, const Clock &clock);

enum class SortColumn { Name, NextRecording };

// The Show list's changes as the window's commands make them. Every change
// ends with the list saved to the Show file; the caller redraws the view.
class ShowListCommands final
{
public:
    ShowListCommands(ShowList &shows, Scheduler &scheduler, ShowStore &store, SettingsStore &settingsStore,
                     Prompter &prompter, const Clock &clock);

    ShowList &shows() { return m_shows; }
    const Clock &clock() const { return m_clock; }
    bool validIndex(int index) const { return index >= 0 && std::size_t(index) < m_shows.size(); }

    // A new Show the user confirmed: appended as addShow() does.
    void add(const Show &show);
    // The editor's OK on the Show at index: a repeating Show moves back a
    // week before rescheduling, as a new one does.
    void replace(int index, Show edited);
    void remove(int index);
    // Moves the Show one place; returns its new index (unchanged at either
    // end, where nothing is saved).
    int moveUp(int index);
    int moveDown(int index);
    // Puts the list in the column's order (stable), reschedules and saves.
    // Unscheduled Shows sort after every scheduled one.
    void sortBy(SortColumn column);

private:
    void rescheduleAndSave(bool checkConflicts);

    ShowList &m_shows;
    Scheduler &m_scheduler;
    ShowStore &m_store;
    SettingsStore &m_settingsStore;
    Prompter &m_prompter;
    const Clock &m_clock;
};

inline const QString kUnscheduledText = QStringLiteral("Unscheduled");
// What a command without a selected Show says: the words above, then how
// to go on (the command's button name).
QString nothingSelectedText(const QString &text, const QString &button);

inline const QString kSelectToEditText = QStringLiteral("Select an item to edit");
inline const QString kSelectToDeleteText = QStringLiteral("Select an item to delete");
inline const QString kSelectToRecordText = QStringLiteral("Select a show to record");
inline const QString kSelectToListenText = QStringLiteral("Select a program to listen to");
inline const QString kSelectToMoveText = QStringLiteral("Please select an item to move up or down");
inline const QString kInvalidIndexText = QStringLiteral("Invalid Index");
inline const QString kPlainErrorCaption = QStringLiteral("Error");
inline const QString kDeleteQuestion = QStringLiteral("OK to delete the Show \"%1\"?");
inline const QString kDeleteCaption = QStringLiteral("Delete Show");

} // namespace skywell
