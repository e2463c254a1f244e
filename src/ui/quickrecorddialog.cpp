#include "ui/quickrecorddialog.h"

#include "core/clock.h"
#include "core/prompter.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace skywell
{

namespace
{

const char *const kKindTexts[QuickKindCount] = {"MP3 - CD Quality (56 MB per hour)",
                                                "MP3 - FM Radio Quality (28 MB per hour)",
                                                "MP3 - AM Radio Quality (7 MB per hour)",
                                                "WAV File",
                                                "Custom (via custom.sh)",
                                                "Write to Audio CD",
                                                "Write to MP3 CD",
                                                "As broadcast (no re-encoding)"};

QLineEdit *numberEdit(QWidget *parent, const QString &objectName)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(objectName);
    edit->setMaximumWidth(60);
    return edit;
}

// A tick box, its number and the words after it on one row.
QHBoxLayout *optionRow(QCheckBox *box, QLineEdit *edit, const QString &after)
{
    auto *row = new QHBoxLayout;
    row->addWidget(box);
    row->addWidget(edit);
    row->addWidget(new QLabel(after));
    row->addStretch();
    return row;
}

} // namespace

QuickRecordDialog::QuickRecordDialog(QuickRecordDeps deps, QWidget *parent) : QDialog(parent), m_deps(std::move(deps))
{
    setWindowTitle(QStringLiteral("Quick Record"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Start recording what you're hearing now")));
    layout->addWidget(new QLabel(QStringLiteral("Name of show to record (used when saving file):")));
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("name"));
    layout->addWidget(m_name);

    auto *length = new QHBoxLayout;
    m_hours = numberEdit(this, QStringLiteral("hours"));
    m_minutes = numberEdit(this, QStringLiteral("minutes"));
    length->addWidget(new QLabel(QStringLiteral("Record for ")));
    length->addWidget(m_hours);
    length->addWidget(new QLabel(QStringLiteral("hours, ")));
    length->addWidget(m_minutes);
    length->addWidget(new QLabel(QStringLiteral("minutes.")));
    length->addStretch();
    layout->addLayout(length);

    auto *output = new QGroupBox(QStringLiteral("Output Options"), this);
    auto *outputLayout = new QGridLayout(output);
    m_kinds = new QButtonGroup(this);
    for (int kind = 0; kind < QuickKindCount; ++kind) {
        auto *button = new QRadioButton(QString::fromLatin1(kKindTexts[kind]), output);
        m_kinds->addButton(button, kind);
        outputLayout->addWidget(button, kind, 0);
    }
    auto *burner = new QPushButton(QStringLiteral("Setup CD Burner"), output);
    outputLayout->addWidget(burner, QuickAudioCd, 1, 2, 1);
    layout->addWidget(output);

    auto *sourceRow = new QHBoxLayout;
    m_source = new QComboBox(this);
    m_source->setObjectName(QStringLiteral("source"));
    auto *test = new QPushButton(QStringLiteral("Test"), this);
    sourceRow->addWidget(new QLabel(QStringLiteral("Recording Source:")));
    sourceRow->addWidget(m_source, 1);
    sourceRow->addWidget(test);
    layout->addLayout(sourceRow);
    // Only the stream source asks for an address and follows titles.
    m_streamRow = new QWidget(this);
    auto *streamLayout = new QGridLayout(m_streamRow);
    streamLayout->setContentsMargins(0, 0, 0, 0);
    m_streamAddress = new QLineEdit(m_streamRow);
    m_streamAddress->setObjectName(QStringLiteral("streamAddress"));
    m_streamAddress->setPlaceholderText(QStringLiteral("https://"));
    m_titleSplit = new QCheckBox(QStringLiteral("New track when the title changes"), m_streamRow);
    m_titleSplit->setObjectName(QStringLiteral("titleSplit"));
    streamLayout->addWidget(new QLabel(QStringLiteral("Stream address:"), m_streamRow), 0, 0);
    streamLayout->addWidget(m_streamAddress, 0, 1);
    streamLayout->addWidget(m_titleSplit, 1, 0, 1, 2);
    layout->addWidget(m_streamRow);

    m_deadAir = new QCheckBox(QStringLiteral("Eliminate Dead Air after"), this);
    m_deadAirSeconds = numberEdit(this, QStringLiteral("deadAirSeconds"));
    layout->addLayout(optionRow(m_deadAir, m_deadAirSeconds, QStringLiteral("seconds of silence.")));
    m_newTrack = new QCheckBox(QStringLiteral("Create new track after"), this);
    m_newTrackMs = numberEdit(this, QStringLiteral("newTrackMs"));
    layout->addLayout(optionRow(m_newTrack, m_newTrackMs, QStringLiteral("milliseconds of silence.")));
    m_saveLastTrack = new QCheckBox(QStringLiteral("Save last track"), this);
    layout->addWidget(m_saveLastTrack);
    m_split = new QCheckBox(QStringLiteral("Split tracks every"), this);
    m_splitMinutes = numberEdit(this, QStringLiteral("splitMinutes"));
    layout->addLayout(optionRow(m_split, m_splitMinutes, QStringLiteral("minutes.")));
    m_musicLibrary = new QCheckBox(QStringLiteral("Add to the music library (MPD)"), this);
    layout->addWidget(m_musicLibrary);
    m_compress = new QCheckBox(QStringLiteral("Compress Speech"), this);
    layout->addWidget(m_compress);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton *help = buttons->addButton(QStringLiteral("Help"), QDialogButtonBox::HelpRole);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, [this] {
        if (m_deps.help)
            m_deps.help();
    });
    connect(test, &QPushButton::clicked, this, [this] {
        if (m_deps.testSource)
            m_deps.testSource();
    });
    connect(burner, &QPushButton::clicked, this, [this] {
        if (m_deps.setupCdBurner)
            m_deps.setupCdBurner();
    });
    for (QCheckBox *box : {m_deadAir, m_newTrack, m_split})
        connect(box, &QCheckBox::toggled, this, &QuickRecordDialog::updateEnabled);
    connect(m_source, &QComboBox::currentIndexChanged, this, &QuickRecordDialog::updateEnabled);

    const bool customScript = QFileInfo(m_deps.programFolder + QStringLiteral("custom.sh")).isFile();
    m_kinds->button(QuickCustom)->setEnabled(customScript);
    m_values = loadQuickRecordValues(m_deps.settingsStore, customScript);
    if (m_deps.fillSources) {
        const SourceCombo combo = m_deps.fillSources(quickRecordWantedSource(m_deps.settingsStore));
        for (int i = 0; i < combo.items.size(); ++i)
            m_source->addItem(combo.label(i), combo.items[i]);
        m_source->setCurrentIndex(combo.selected);
    }
    const bool library = m_deps.musicLibraryInstalled && m_deps.musicLibraryInstalled();
    m_musicLibrary->setVisible(library);
    if (!library)
        m_values.addToMusicLibrary = false;
    showValues();
    m_name->setFocus();
}

void QuickRecordDialog::showValues()
{
    m_name->setText(m_values.name);
    m_hours->setText(QString::number(m_values.hours));
    m_minutes->setText(QString::number(m_values.minutes));
    m_kinds->button(m_values.outputKind)->setChecked(true);
    m_deadAir->setChecked(m_values.deadAirEnabled);
    m_deadAirSeconds->setText(QString::number(m_values.deadAirSeconds));
    m_newTrack->setChecked(m_values.newTrackOnSilence);
    m_newTrackMs->setText(QString::number(m_values.newTrackSilenceMs));
    m_split->setChecked(m_values.splitEvery);
    m_splitMinutes->setText(QString::number(m_values.splitMinutes));
    m_saveLastTrack->setChecked(m_values.saveLastTrack);
    m_musicLibrary->setChecked(m_values.addToMusicLibrary);
    m_compress->setChecked(m_values.compressSpeech);
    m_streamAddress->setText(m_values.streamAddress);
    m_titleSplit->setChecked(m_values.titleSplit);
    updateEnabled();
}

void QuickRecordDialog::updateEnabled()
{
    m_deadAirSeconds->setEnabled(m_deadAir->isChecked());
    m_newTrackMs->setEnabled(m_newTrack->isChecked());
    m_saveLastTrack->setEnabled(m_newTrack->isChecked());
    m_splitMinutes->setEnabled(m_split->isChecked());
    const bool stream = selectedSource() == kInternetStream;
    m_streamRow->setVisible(stream);
    // Only a stream Skywell reads itself can be kept as broadcast.
    m_kinds->button(QuickAsBroadcast)->setEnabled(stream);
    if (!stream && m_kinds->checkedId() == QuickAsBroadcast)
        m_kinds->button(QuickMp3Fm)->setChecked(true);
}

QString QuickRecordDialog::selectedSource() const
{
    return m_deps.sourceNameAt ? m_deps.sourceNameAt(m_source->currentIndex()) : m_source->currentData().toString();
}

void QuickRecordDialog::accept()
{
    QuickRecordProblem problem =
        checkQuickRecordInput(m_name->text(), m_hours->text(), m_minutes->text(), m_deadAirSeconds->text(),
                              m_newTrackMs->text(), m_splitMinutes->text());
    if (problem.field == QuickRecordProblem::None)
        problem = checkQuickRecordStream(selectedSource(), m_streamAddress->text());
    if (problem.field != QuickRecordProblem::None) {
        m_deps.prompter.information(problem.message);
        QLineEdit *const edits[] = {nullptr,          m_name,       m_hours,        m_minutes,
                                    m_deadAirSeconds, m_newTrackMs, m_splitMinutes, m_streamAddress};
        QLineEdit *edit = edits[problem.field];
        edit->setFocus();
        edit->selectAll();
        return;
    }
    m_values.name = m_name->text();
    m_values.hours = m_hours->text().trimmed().toInt();
    m_values.minutes = m_minutes->text().trimmed().toInt();
    m_values.outputKind = m_kinds->checkedId();
    m_values.sourceName = selectedSource();
    m_values.streamAddress = m_streamAddress->text().trimmed();
    m_values.titleSplit = m_titleSplit->isChecked();
    m_values.deadAirEnabled = m_deadAir->isChecked();
    m_values.deadAirSeconds = m_deadAirSeconds->text().trimmed().toInt();
    m_values.newTrackOnSilence = m_newTrack->isChecked();
    m_values.newTrackSilenceMs = m_newTrackMs->text().trimmed().toInt();
    m_values.splitEvery = m_split->isChecked();
    m_values.splitMinutes = m_splitMinutes->text().trimmed().toInt();
    m_values.saveLastTrack = m_saveLastTrack->isChecked();
    m_values.addToMusicLibrary = m_musicLibrary->isChecked();
    m_values.compressSpeech = m_compress->isChecked();
    saveQuickRecordValues(m_deps.settingsStore, m_values);
    QDialog::accept();
}

std::optional<RecordingRequest> runQuickRecord(QWidget *parent, QuickRecordDeps deps)
{
    const Clock &clock = deps.clock;
    QuickRecordDialog dialog(std::move(deps), parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return quickRecordRequest(dialog.values(), clock.now());
}

} // namespace skywell
