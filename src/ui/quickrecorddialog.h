#pragma once

#include "mixer/mixer.h"
#include "recording/quickrecordrules.h"

#include <QDialog>
#include <functional>
#include <optional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

namespace skywell
{

class Clock;
class Prompter;
class SettingsStore;

// What Quick Record reads, remembers and calls.
struct QuickRecordDeps {
    SettingsStore &settingsStore;
    Prompter &prompter;
    const Clock &clock;
    // Holds custom.sh; without it the custom kind is not offered.
    QString programFolder;
    // The source drop-down without "Direct Download", and its names.
    std::function<SourceCombo(const QString &wanted)> fillSources;
    std::function<QString(int index)> sourceNameAt;
    // The buttons beside the source list and the CD choices, and Help.
    std::function<void()> testSource;
    std::function<void()> setupCdBurner;
    std::function<void()> help;
    std::function<bool()> musicLibraryInstalled;
};

// "Quick Record": a name, a length and the output and track options of a
// manual recording. Shows the values the rules load and hands back the
// ones typed; the rules remember them.
class QuickRecordDialog final : public QDialog
{
    Q_OBJECT
public:
    QuickRecordDialog(QuickRecordDeps deps, QWidget *parent = nullptr);

    // The values as accepted by OK (after the rules cleared what is off).
    const QuickRecordValues &values() const { return m_values; }

    void accept() override;

private:
    void showValues();
    void updateEnabled();
    // The source chosen in the drop-down.
    QString selectedSource() const;

    QuickRecordDeps m_deps;
    QuickRecordValues m_values;
    QLineEdit *m_name = nullptr;
    QLineEdit *m_hours = nullptr;
    QLineEdit *m_minutes = nullptr;
    QButtonGroup *m_kinds = nullptr;
    QComboBox *m_source = nullptr;
    QCheckBox *m_deadAir = nullptr;
    QLineEdit *m_deadAirSeconds = nullptr;
    QCheckBox *m_newTrack = nullptr;
    QLineEdit *m_newTrackMs = nullptr;
    QCheckBox *m_split = nullptr;
    QLineEdit *m_splitMinutes = nullptr;
    QCheckBox *m_saveLastTrack = nullptr;
    QCheckBox *m_musicLibrary = nullptr;
    QCheckBox *m_compress = nullptr;
    QWidget *m_streamRow = nullptr;
    QLineEdit *m_streamAddress = nullptr;
    QCheckBox *m_titleSplit = nullptr;
};

// Runs Quick Record; the recording to start, empty on Cancel.
std::optional<RecordingRequest> runQuickRecord(QWidget *parent, QuickRecordDeps deps);

} // namespace skywell
