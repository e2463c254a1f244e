#pragma once

#include "control/controlservice.h"
#include "shows/show.h"

#include <QObject>

#include <map>

namespace skywell
{

class Clock;
class RecordingRoster;
class SettingsStore;
class Scheduler;
class ShowStore;
struct Settings;

// What the control service acts on: the running instance's Show list and
// what it saves it with.
struct ControlTarget {
    ShowList &shows;
    Scheduler &scheduler;
    ShowStore &store;
    SettingsStore &settingsStore;
    const Settings &settings;
    const Clock &clock;
};

// The control service of an instance: changes the Show list as the Show
// editor and the list commands do (the same checks, the same saving), and
// starts and stops recordings as Record Now and Stop Recording do. Without
// a roster (no instance runs: the Show file is changed directly) record
// and stop answer that nothing runs.
class InstanceControl final : public QObject, public ControlService
{
    Q_OBJECT
public:
    InstanceControl(ControlTarget target, RecordingRoster *roster);
    ~InstanceControl() override;

    ControlReply handle(const ControlRequest &request) override;

Q_SIGNALS:
    // The Show list changed (the window redraws it).
    void showListChanged();

private:
    ControlReply list() const;
    ControlReply addOrEdit(const ControlRequest &request, bool add);
    ControlReply remove(const QString &name);
    ControlReply record(const QJsonObject &arguments);
    ControlReply stop(const QString &name);
    ControlReply status() const;
    ControlReply recordings() const;
    // The first Show of that name; -1 when none.
    int indexOf(const QString &name) const;
    bool isRecording(const Show &show) const;
    void changed();

    ControlTarget m_target;
    RecordingRoster *m_roster;
    std::map<quint64, int> m_peaks;
};

inline const QString kNoSuchShowText = QStringLiteral("There is no show named \"%1\".");
inline const QString kShowExistsText = QStringLiteral("There is already a show named \"%1\".");
inline const QString kNothingRunsText =
    QStringLiteral("No Skywell is running: start it (skywell --headless) to record.");
inline const QString kNothingRecordingText = QStringLiteral("Nothing is recording.");
inline const QString kShowNotRecordingText = QStringLiteral("\"%1\" is not recording.");
inline const QString kUnknownCommandText = QStringLiteral("Unknown command \"%1\".");

} // namespace skywell
