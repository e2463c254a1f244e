#include "ui/recordingsbrowser.h"

#include "core/prompter.h"
#include "postprocess/recordingsbrowserrules.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFutureWatcher>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QProgressDialog>
#include <QPushButton>
#include <QTreeWidget>
#include <QtConcurrent/QtConcurrentRun>

namespace skywell
{

namespace
{

const QString kChooseOne = QStringLiteral("Please choose at least one show.");
constexpr int kNameRole = Qt::UserRole;

QPushButton *addButton(QHBoxLayout *row, const QString &text)
{
    auto *button = new QPushButton(text);
    // Enter in the list plays the row; it must not press a button too.
    button->setAutoDefault(false);
    row->addWidget(button);
    return button;
}

QTreeWidgetItem *rowFor(const RecordingEntry &entry)
{
    auto *item = new QTreeWidgetItem;
    item->setText(0, QLocale().toString(entry.modified, QLocale::ShortFormat));
    item->setText(1, recordingLengthText(entry));
    item->setText(2, entry.title);
    item->setData(0, kNameRole, entry.name);
    item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    QString tip = entry.name;
    if (!entry.problem.isEmpty())
        tip += QStringLiteral("\nCannot be read: ") + entry.problem;
    for (int column = 0; column < 3; ++column)
        item->setToolTip(column, tip);
    return item;
}

} // namespace

RecordingsBrowser::RecordingsBrowser(RecordingsBrowserDeps deps, const QString &filter, QWidget *parent)
    : QDialog(parent), m_deps(std::move(deps)), m_filter(filter)
{
    setWindowTitle(QStringLiteral("View Recorded Shows"));
    auto *layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Select recordings to Play, Burn or Delete; double-click one to "
                                                "play it.")),
                      0, 0, 1, 2);
    m_showing = new QLabel(currentlyShowingText(m_filter), this);
    layout->addWidget(m_showing, 1, 0);
    m_state = new QLabel(this);
    m_state->setObjectName(QStringLiteral("state"));
    m_state->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    layout->addWidget(m_state, 1, 1);
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("recordings"));
    m_list->setHeaderLabels({QStringLiteral("Date"), QStringLiteral("Length"), QStringLiteral("Title")});
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setAllColumnsShowFocus(true);
    m_list->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_list->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_list->header()->setStretchLastSection(true);
    layout->addWidget(m_list, 2, 0, 1, 2);

    auto *row = new QHBoxLayout;
    QPushButton *all = addButton(row, QStringLiteral("View ALL"));
    QPushButton *done = addButton(row, QStringLiteral("Done"));
    row->addStretch();
    QPushButton *playButton = addButton(row, QStringLiteral("Play"));
    QPushButton *audioCd = addButton(row, QStringLiteral("Burn Audio CD"));
    QPushButton *mp3Cd = addButton(row, QStringLiteral("Burn MP3 CD"));
    QPushButton *remove = addButton(row, QStringLiteral("Delete"));
    layout->addLayout(row, 3, 0, 1, 2);
    resize(720, 420);

    connect(m_list, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem *item) { play({item->data(0, kNameRole).toString()}); });
    auto *trash = new QAction(this);
    trash->setShortcut(QKeySequence::Delete);
    trash->setShortcutContext(Qt::WidgetShortcut);
    m_list->addAction(trash);
    connect(trash, &QAction::triggered, this, &RecordingsBrowser::moveSelectionToTrash);
    connect(all, &QPushButton::clicked, this, [this] {
        m_filter = kAllRecordings;
        m_showing->setText(currentlyShowingText(m_filter));
        fillAvailable();
    });
    connect(done, &QPushButton::clicked, this, &QDialog::accept);
    connect(playButton, &QPushButton::clicked, this, [this] { play(selection()); });
    connect(audioCd, &QPushButton::clicked, this, [this] { burnCd(false); });
    connect(mp3Cd, &QPushButton::clicked, this, [this] { burnCd(true); });
    connect(remove, &QPushButton::clicked, this, &RecordingsBrowser::moveSelectionToTrash);
    fillAvailable();
}

QStringList RecordingsBrowser::available() const
{
    QStringList names;
    for (int row = 0; row < m_list->topLevelItemCount(); ++row)
        names << m_list->topLevelItem(row)->data(0, kNameRole).toString();
    return names;
}

QStringList RecordingsBrowser::selection() const
{
    QStringList names;
    for (int row = 0; row < m_list->topLevelItemCount(); ++row) {
        if (m_list->topLevelItem(row)->isSelected())
            names << m_list->topLevelItem(row)->data(0, kNameRole).toString();
    }
    return names;
}

void RecordingsBrowser::fillAvailable()
{
    // Only the newest reading is shown; an older one still running is
    // left to finish on its own.
    const int scan = ++m_scan;
    m_state->setText(QStringLiteral("Reading the recordings folder..."));
    auto *watcher = new QFutureWatcher<RecordingScan>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, scan] {
        watcher->deleteLater();
        if (scan == m_scan)
            showScan(watcher->result());
    });
    watcher->setFuture(QtConcurrent::run(scanRecordings, m_deps.recordingsFolder, m_filter));
}

void RecordingsBrowser::showScan(const RecordingScan &scan)
{
    const QStringList chosen = selection();
    m_list->clear();
    QList<QTreeWidgetItem *> rows;
    rows.reserve(scan.entries.size());
    int unreadable = 0;
    for (const RecordingEntry &entry : scan.entries) {
        rows << rowFor(entry);
        unreadable += entry.problem.isEmpty() ? 0 : 1;
    }
    m_list->addTopLevelItems(rows);
    for (QTreeWidgetItem *item : std::as_const(rows))
        item->setSelected(chosen.contains(item->data(0, kNameRole).toString()));
    if (!scan.problem.isEmpty())
        m_state->setText(scan.problem);
    else if (unreadable > 0)
        m_state->setText(QStringLiteral("%1 recordings, %2 unreadable").arg(scan.entries.size()).arg(unreadable));
    else
        m_state->setText(QStringLiteral("%1 recordings").arg(scan.entries.size()));
    Q_EMIT listed();
}

bool RecordingsBrowser::selectionChosen(const QStringList &names)
{
    if (!names.isEmpty())
        return true;
    m_deps.prompter.information(kChooseOne);
    return false;
}

void RecordingsBrowser::play(const QStringList &names)
{
    if (!selectionChosen(names))
        return;
    // One recording opens as it is; several go through a playlist.
    QString path = m_deps.recordingsFolder + names.first();
    if (names.size() > 1) {
        path = m_deps.programFolder + QStringLiteral("temp.m3u");
        if (!writePlaylist(path, m_deps.recordingsFolder, names)) {
            m_deps.prompter.information(QStringLiteral("The playlist %1 could not be written.").arg(path));
            return;
        }
    }
    if (!m_deps.openFile) {
        m_deps.prompter.information(QStringLiteral("No media player is set up to play %1.").arg(path));
        return;
    }
    m_deps.openFile(path, this, [this, path](const QString &problem) {
        m_deps.prompter.information(QStringLiteral("Skywell could not play %1: %2").arg(path, problem));
    });
}

void RecordingsBrowser::burnCd(bool dataCd)
{
    const QStringList names = selection();
    if (!selectionChosen(names))
        return;
    if (!m_deps.prompter.question(QStringLiteral("Insert a blank disc to burn the CD")))
        return;
    if (!dataCd)
        m_deps.prompter.information(QStringLiteral("Please note: All MP3 files need to be converted before being "
                                                   "copied to an audio CD.  This takes several minutes."));
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QProgressDialog progress(QStringLiteral("Converting MP3 files for the audio CD..."), QString(), 0,
                             int(names.size()), this);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    QStringList paths;
    for (const QString &name : names) {
        QString path = m_deps.recordingsFolder + name;
        if (!dataCd && needsDecodingForAudioCd(name)) {
            progress.setLabelText(QStringLiteral("Converting %1").arg(name));
            progress.setValue(int(paths.size()));
            const QString wav = audioCdWavPath(path);
            if (m_deps.decodeForAudioCd)
                m_deps.decodeForAudioCd(path, wav);
            path = wav;
        }
        paths << path;
    }
    progress.setValue(int(names.size()));
    const QString result = m_deps.burn ? m_deps.burn(paths.join(QLatin1Char('?')), dataCd) : QString();
    QApplication::restoreOverrideCursor();
    if (result == QStringLiteral("Success"))
        m_deps.prompter.information(QStringLiteral("CD created successfully"));
    else
        m_deps.prompter.information(result, QStringLiteral("Error Burning CD"));
}

void RecordingsBrowser::moveSelectionToTrash()
{
    const QStringList names = selection();
    if (!selectionChosen(names))
        return;
    if (!m_deps.prompter.question(QStringLiteral("Move the selected files to the Trash?")))
        return;
    QStringList failures;
    for (const QString &name : names) {
        const QString problem = moveToTrash(m_deps.recordingsFolder + name);
        if (!problem.isEmpty())
            failures << QStringLiteral("%1: %2").arg(name, problem);
    }
    fillAvailable();
    if (!failures.isEmpty()) {
        m_deps.prompter.information(QStringLiteral("These files could not be moved to the Trash and are still in "
                                                   "the recordings folder:\n\n%1")
                                        .arg(failures.join(QLatin1Char('\n'))));
    }
}

void runRecordingsBrowser(QWidget *parent, RecordingsBrowserDeps deps, const QString &filter)
{
    RecordingsBrowser browser(std::move(deps), filter, parent);
    browser.exec();
}

} // namespace skywell
