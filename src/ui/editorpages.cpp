#include "ui/editorpages.h"

#include "core/prompter.h"
#include "core/settings.h"
#include "mixer/mixer.h"
#include "shows/show.h"
#include "shows/tunewith.h"
#include "ui/numberedit.h"
#include "ui/showeditor.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTime>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace skywell
{

namespace
{

const QString kTimeFormat = QStringLiteral("h:mm AP");

QDateTime localDateTime(std::int64_t t)
{
    return QDateTime::fromSecsSinceEpoch(t);
}

// The picked time of day on the date the value had.
std::int64_t withTimeOfDay(std::int64_t value, QTime time)
{
    return QDateTime(localDateTime(value).date(), time).toSecsSinceEpoch();
}

// A tick box with the number edit it enables, and the text after it.
QCheckBox *addTickedNumber(QGridLayout *grid, int row, const QString &before, const QString &after, const QString &name,
                           NumberEdit **edit, QWidget *page)
{
    auto *box = new QCheckBox(before, page);
    box->setObjectName(name + QStringLiteral("On"));
    *edit = new NumberEdit(page);
    (*edit)->setObjectName(name);
    (*edit)->setEnabled(false);
    grid->addWidget(box, row, 0);
    grid->addWidget(*edit, row, 1);
    grid->addWidget(new QLabel(after, page), row, 2);
    QObject::connect(box, &QCheckBox::toggled, *edit, &QWidget::setEnabled);
    return box;
}

} // namespace

SummaryPage::SummaryPage(const ShowEditorContext &context, QWidget *parent)
    : EditorPage(parent), m_context(context), m_name(new QLineEdit(this)), m_status(new QLabel(this)),
      m_summary(new QLabel(this))
{
    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(QStringLiteral("Name of Show:"), this);
    m_name->setObjectName(QStringLiteral("showName"));
    // The name is read as its first 119 characters.
    m_name->setMaxLength(119);
    label->setBuddy(m_name);
    layout->addWidget(label);
    layout->addWidget(m_name);
    m_status->setObjectName(QStringLiteral("status"));
    m_status->setWordWrap(true);
    m_summary->setObjectName(QStringLiteral("summary"));
    m_summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_summary->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    layout->addWidget(m_status);
    layout->addWidget(m_summary, 1);
}

void SummaryPage::fill(const ShowEditorValues &values)
{
    m_name->setText(values.name);
    m_status->setText(values.status);
    setSummary(values.summary);
}

void SummaryPage::setSummary(QString summary)
{
    m_summary->setText(summary.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void SummaryPage::read(ShowEditorValues &values) const
{
    values.name = m_name->text();
}

void SummaryPage::firstShown()
{
    m_name->setFocus(Qt::OtherFocusReason);
}

std::optional<EditorPage::Problem> SummaryPage::problem()
{
    switch (checkShowName(m_name->text(), m_context.settings.mp3Folder)) {
    case ShowNameCheck::Ok:
        return std::nullopt;
    case ShowNameCheck::Empty:
        m_name->setFocus(Qt::OtherFocusReason);
        return Problem{kEmptyShowNameText, kCaption};
    case ShowNameCheck::CannotCreate:
        break;
    }
    m_name->setFocus(Qt::OtherFocusReason);
    return Problem{kTestFileWarningText, kTestFileWarningCaption};
}

ShowTuningPage::ShowTuningPage(QWidget *parent)
    : EditorPage(parent), m_tuneWith(new QComboBox(this)), m_url(new QLineEdit(this))
{
    auto *layout = new QVBoxLayout(this);
    auto *tuneWithRow = new QHBoxLayout;
    auto *tuneWithLabel = new QLabel(QStringLiteral("Tune With: "), this);
    tuneWithLabel->setBuddy(m_tuneWith);
    m_tuneWith->setObjectName(QStringLiteral("tuneWith"));
    for (const TuneWith choice : {TuneWith::SkywellTuner, TuneWith::DesktopPlayer, TuneWith::Command})
        m_tuneWith->addItem(tuneWithText(choice));
    tuneWithRow->addWidget(tuneWithLabel);
    tuneWithRow->addWidget(m_tuneWith);
    tuneWithRow->addStretch(1);
    layout->addLayout(tuneWithRow);
    auto *urlLabel = new QLabel(QStringLiteral("Enter a URL that plays the audio feed, if necessary:"), this);
    urlLabel->setBuddy(m_url);
    m_url->setObjectName(QStringLiteral("url"));
    m_url->setMaxLength(511);
    layout->addWidget(urlLabel);
    layout->addWidget(m_url);
    layout->addStretch(1);
}

void ShowTuningPage::fill(const ShowEditorValues &values)
{
    m_tuneWith->setCurrentIndex(values.player);
    m_url->setText(values.url);
}

void ShowTuningPage::read(ShowEditorValues &values) const
{
    values.player = m_tuneWith->currentIndex();
    values.url = m_url->text();
}

SchedulePage::SchedulePage(QWidget *parent)
    : EditorPage(parent), m_start(new QTimeEdit(this)), m_end(new QTimeEdit(this)), m_once(new QDateEdit(this)),
      m_kind(new QButtonGroup(this))
{
    auto *layout = new QVBoxLayout(this);
    auto *times = new QFormLayout;
    times->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    m_start->setObjectName(QStringLiteral("startTime"));
    m_end->setObjectName(QStringLiteral("endTime"));
    m_start->setDisplayFormat(kTimeFormat);
    m_end->setDisplayFormat(kTimeFormat);
    times->addRow(QStringLiteral("Start At:"), m_start);
    times->addRow(QStringLiteral("End At:"), m_end);
    layout->addLayout(times);

    auto *onceRow = new QHBoxLayout;
    auto *once = new QRadioButton(QStringLiteral("Record Once On:"), this);
    m_once->setObjectName(QStringLiteral("onceDate"));
    m_once->setCalendarPopup(true);
    onceRow->addWidget(once);
    onceRow->addWidget(m_once);
    onceRow->addStretch(1);
    layout->addLayout(onceRow);
    auto *repeating = new QRadioButton(QStringLiteral("Repeating"), this);
    layout->addWidget(repeating, 0, Qt::AlignLeft);
    auto *daysRow = new QHBoxLayout;
    daysRow->addSpacing(24);
    const QString names[] = {QStringLiteral("Mon"), QStringLiteral("Tue"), QStringLiteral("Wed"), QStringLiteral("Thu"),
                             QStringLiteral("Fri"), QStringLiteral("Sat"), QStringLiteral("Sun")};
    for (const QString &name : names) {
        auto *day = new QCheckBox(name, this);
        day->setObjectName(name);
        m_days.append(day);
        daysRow->addWidget(day);
    }
    daysRow->addStretch(1);
    layout->addLayout(daysRow);
    auto *unscheduled = new QRadioButton(QStringLiteral("Unscheduled"), this);
    layout->addWidget(unscheduled, 0, Qt::AlignLeft);
    layout->addStretch(1);
    m_kind->addButton(once, 0);
    m_kind->addButton(repeating, 1);
    m_kind->addButton(unscheduled, 2);
    connect(m_kind, &QButtonGroup::idClicked, this, &SchedulePage::enableForKind);
}

void SchedulePage::fill(const ShowEditorValues &values)
{
    m_startValue = values.start;
    m_endValue = values.end;
    m_start->setTime(localDateTime(values.start).time());
    m_end->setTime(localDateTime(values.end).time());
    m_once->setDate(localDateTime(values.onceDate).date());
    m_kind->button(std::clamp(values.scheduleKind, 0, 2))->setChecked(true);
    for (int i = 0; i < m_days.size(); ++i)
        m_days[i]->setChecked(values.days & (1u << i));
}

void SchedulePage::read(ShowEditorValues &values) const
{
    values.start = withTimeOfDay(m_startValue, m_start->time());
    values.end = withTimeOfDay(m_endValue, m_end->time());
    // Noon of the picked day: its local midnight is taken on OK.
    values.onceDate = QDateTime(m_once->date(), QTime(12, 0)).toSecsSinceEpoch();
    values.scheduleKind = m_kind->checkedId();
    values.days = 0;
    for (int i = 0; i < m_days.size(); ++i) {
        if (m_days[i]->isChecked())
            values.days |= 1u << i;
    }
}

void SchedulePage::firstShown()
{
    enableForKind();
}

void SchedulePage::enableForKind()
{
    const int kind = m_kind->checkedId();
    m_once->setEnabled(kind == 0);
    for (QCheckBox *day : m_days)
        day->setEnabled(kind == 1);
    m_start->setEnabled(kind != 2);
    m_end->setEnabled(kind != 2);
}

OutputPage::OutputPage(const ShowEditorContext &context, QWidget *parent)
    : EditorPage(parent), m_context(context), m_kind(new QButtonGroup(this))
{
    auto *layout = new QVBoxLayout(this);
    for (int i = 0; i < int(std::size(kOutputKindTexts)); ++i) {
        auto *button = new QRadioButton(kOutputKindTexts[i], this);
        button->setObjectName(QStringLiteral("output%1").arg(i));
        m_kind->addButton(button, i);
        layout->addWidget(button);
    }
    m_library = new QCheckBox(QStringLiteral("Add to the music library (MPD)"), this);
    m_library->setObjectName(QStringLiteral("addToLibrary"));
    m_library->hide();
    m_compress = new QCheckBox(QStringLiteral("Compress Speech"), this);
    m_compress->setObjectName(QStringLiteral("compressSpeech"));
    layout->addWidget(m_library);
    layout->addWidget(m_compress);
    auto *burner = new QPushButton(QStringLiteral("Setup CD Burner"), this);
    auto *row = new QHBoxLayout;
    row->addWidget(burner);
    row->addStretch(1);
    layout->addLayout(row);
    layout->addStretch(1);
    connect(burner, &QPushButton::clicked, this, [this] {
        if (m_context.setupCdBurner)
            m_context.setupCdBurner();
    });
}

void OutputPage::fill(const ShowEditorValues &values)
{
    m_kind->button(std::clamp(values.outputIndex, 0, int(std::size(kOutputKindTexts)) - 1))->setChecked(true);
    setStreamSource(values.recordSource == kInternetStream);
    m_library->setChecked(values.addToLibrary);
    m_compress->setChecked(values.compressSpeech);
}

void OutputPage::read(ShowEditorValues &values) const
{
    values.outputIndex = m_kind->checkedId();
    values.addToLibrary = m_library->isChecked();
    values.compressSpeech = m_compress->isChecked();
}

void OutputPage::setStreamSource(bool stream)
{
    m_kind->button(kAsBroadcastOutputIndex)->setEnabled(stream);
    if (!stream && m_kind->checkedId() == kAsBroadcastOutputIndex)
        m_kind->button(kMp3FmOutputIndex)->setChecked(true);
}

void OutputPage::firstShown()
{
    // The custom kind runs the user's script; without one it cannot be
    // chosen.
    if (!QFileInfo::exists(m_context.programFolder + QStringLiteral("custom.sh"))) {
        m_kind->button(kCustomOutputIndex)->setEnabled(false);
        if (m_kind->checkedId() == kCustomOutputIndex)
            m_kind->button(0)->setChecked(true);
    }
    if (m_context.musicLibraryInstalled && m_context.musicLibraryInstalled())
        m_library->show();
    else
        m_library->setChecked(false);
}

RecordingPage::RecordingPage(const ShowEditorContext &context, QWidget *parent)
    : EditorPage(parent), m_context(context), m_sources(new QComboBox(this))
{
    auto *layout = new QVBoxLayout(this);
    auto *sourceRow = new QHBoxLayout;
    auto *label = new QLabel(QStringLiteral("Recording Source:"), this);
    label->setBuddy(m_sources);
    m_sources->setObjectName(QStringLiteral("recordSource"));
    m_sources->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    auto *test = new QPushButton(QStringLiteral("Test Recording Sources"), this);
    sourceRow->addWidget(label);
    sourceRow->addWidget(m_sources, 1);
    sourceRow->addWidget(test);
    layout->addLayout(sourceRow);
    m_mute = new QCheckBox(QStringLiteral("Mute sound while recording"), this);
    m_noRetune = new QCheckBox(QStringLiteral("Disable Automatic Retuning (for recording archives)"), this);
    m_titleSplit = new QCheckBox(QStringLiteral("New track when the title changes"), this);
    m_titleSplit->setObjectName(QStringLiteral("titleSplit"));
    m_titleSplit->setVisible(false);
    layout->addWidget(m_mute);
    layout->addWidget(m_noRetune);
    layout->addWidget(m_titleSplit);
    // Only a stream Skywell decodes itself has titles to follow.
    connect(m_sources, &QComboBox::currentIndexChanged, this, [this] {
        const bool stream = m_sources->currentData().toString() == kInternetStream;
        m_titleSplit->setVisible(stream);
        Q_EMIT streamSourceChosen(stream);
    });
    auto *grid = new QGridLayout;
    m_deadAir =
        addTickedNumber(grid, 0, QStringLiteral("Eliminate Dead Air after "), QStringLiteral("seconds of silence."),
                        QStringLiteral("deadAir"), &m_deadAirSeconds, this);
    m_newTrack =
        addTickedNumber(grid, 1, QStringLiteral("Create new track after"), QStringLiteral("milliseconds of silence."),
                        QStringLiteral("newTrack"), &m_newTrackMs, this);
    m_splitEvery = addTickedNumber(grid, 2, QStringLiteral("Split tracks every"), QStringLiteral("minutes."),
                                   QStringLiteral("splitEvery"), &m_splitMinutes, this);
    grid->setColumnStretch(3, 1);
    layout->addLayout(grid);
    auto *splitRow = new QHBoxLayout;
    splitRow->addWidget(new QLabel(QStringLiteral("Split tracks at"), this));
    for (int i = 0; i < 8; ++i) {
        auto *edit = new NumberEdit(this);
        edit->setObjectName(QStringLiteral("splitAt%1").arg(i));
        edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 12);
        m_splitAt.append(edit);
        splitRow->addWidget(edit);
    }
    splitRow->addWidget(new QLabel(QStringLiteral("minutes after the hour."), this));
    splitRow->addStretch(1);
    layout->addLayout(splitRow);
    layout->addStretch(1);
    connect(test, &QPushButton::clicked, this, [this] {
        if (m_context.testSources)
            m_context.testSources();
    });
}

void RecordingPage::fill(const ShowEditorValues &values)
{
    m_source = values.recordSource;
    m_mute->setChecked(values.mute);
    m_noRetune->setChecked(values.noRetune);
    m_titleSplit->setChecked(values.titleSplit);
    m_titleSplit->setVisible(values.recordSource == kInternetStream);
    m_deadAir->setChecked(values.deadAirOn);
    m_deadAirSeconds->setNumber(values.deadAirSeconds);
    m_newTrack->setChecked(values.newTrackOn);
    m_newTrackMs->setNumber(values.newTrackMs);
    m_splitEvery->setChecked(values.splitEveryOn);
    m_splitMinutes->setNumber(values.splitMinutes);
    m_splitAtValues = values.splitAt;
}

void RecordingPage::firstShown()
{
    SourceCombo combo;
    if (m_context.recordingSources)
        combo = m_context.recordingSources(m_source);
    if (combo.items.isEmpty() && !m_source.isEmpty())
        combo = SourceCombo{{m_source}, 0};
    m_sources->clear();
    for (int i = 0; i < combo.items.size(); ++i)
        m_sources->addItem(combo.label(i), combo.items[i]);
    m_sources->setCurrentIndex(combo.selected);
    for (int i = 0; i < m_splitAt.size(); ++i) {
        const int minute = m_splitAtValues[std::size_t(i)];
        m_splitAt[i]->setText(minute >= 0 && minute < 60 ? QString::number(minute) : QString());
    }
}

void RecordingPage::read(ShowEditorValues &values) const
{
    values.mute = m_mute->isChecked();
    values.noRetune = m_noRetune->isChecked();
    values.titleSplit = m_titleSplit->isChecked();
    values.deadAirOn = m_deadAir->isChecked();
    values.deadAirSeconds = m_deadAirSeconds->text().toLongLong();
    values.newTrackOn = m_newTrack->isChecked();
    values.newTrackMs = m_newTrackMs->text().toLongLong();
    values.splitEveryOn = m_splitEvery->isChecked();
    values.splitMinutes = m_splitMinutes->text().toLongLong();
    // A page never shown hands back the source and split minutes it was
    // given.
    if (m_sources->count() > 0) {
        values.recordSource = m_sources->currentData().toString();
        for (int i = 0; i < m_splitAt.size(); ++i)
            values.splitAt[std::size_t(i)] = splitMinuteFromText(m_splitAt[i]->text());
    }
}

std::optional<EditorPage::Problem> RecordingPage::problem()
{
    const std::pair<NumberEdit *, std::int64_t> edits[] = {
        {m_deadAirSeconds, kMaxDeadAirSeconds}, {m_newTrackMs, kMaxNewTrackMs}, {m_splitMinutes, kMaxSplitMinutes}};
    for (const auto &[edit, max] : edits) {
        if (const auto text = numberEditProblem(edit->text(), max)) {
            edit->setFocus(Qt::OtherFocusReason);
            edit->selectAll();
            return Problem{*text, kCaption};
        }
    }
    return std::nullopt;
}

} // namespace skywell
