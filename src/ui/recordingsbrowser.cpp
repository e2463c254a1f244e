#include "ui/recordingsbrowser.h"

#include "core/prompter.h"
#include "postprocess/recordingsbrowserrules.h"

#include <QApplication>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>

namespace skywell
{

namespace
{

const QString kChooseOne = QStringLiteral("Please choose at least one show.");

QPushButton *addButton(QHBoxLayout *row, const QString &text)
{
    auto *button = new QPushButton(text);
    row->addWidget(button);
    return button;
}

} // namespace

RecordingsBrowser::RecordingsBrowser(RecordingsBrowserDeps deps, const QString &filter, QWidget *parent)
    : QDialog(parent), m_deps(std::move(deps)), m_filter(filter)
{
    setWindowTitle(QStringLiteral("View Recorded Shows"));
    auto *layout = new QGridLayout(this);
    layout->addWidget(
        new QLabel(QStringLiteral(
            "Select shows from the list on the left to Play, Burn or Delete from the list on the right.")),
        0, 0, 1, 2);
    m_showing = new QLabel(currentlyShowingText(m_filter), this);
    layout->addWidget(m_showing, 1, 0);
    layout->addWidget(new QLabel(QStringLiteral("List of selected files (click to unselect):")), 1, 1);
    m_available = new QListWidget(this);
    m_available->setObjectName(QStringLiteral("available"));
    m_available->setUniformItemSizes(true);
    m_selected = new QListWidget(this);
    m_selected->setObjectName(QStringLiteral("selected"));
    layout->addWidget(m_available, 2, 0);
    layout->addWidget(m_selected, 2, 1);

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

    connect(m_available, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
        m_selection << item->text();
        showSelection();
    });
    connect(m_selected, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
        m_selection.removeAt(m_selected->row(item));
        showSelection();
    });
    connect(all, &QPushButton::clicked, this, [this] {
        m_filter = kAllRecordings;
        fillAvailable();
        m_showing->setText(currentlyShowingText(m_filter));
    });
    connect(done, &QPushButton::clicked, this, &QDialog::accept);
    connect(playButton, &QPushButton::clicked, this, &RecordingsBrowser::play);
    connect(audioCd, &QPushButton::clicked, this, [this] { burnCd(false); });
    connect(mp3Cd, &QPushButton::clicked, this, [this] { burnCd(true); });
    connect(remove, &QPushButton::clicked, this, &RecordingsBrowser::deleteSelection);
    fillAvailable();
}

QStringList RecordingsBrowser::available() const
{
    QStringList names;
    for (int row = 0; row < m_available->count(); ++row)
        names << m_available->item(row)->text();
    return names;
}

void RecordingsBrowser::fillAvailable()
{
    m_available->clear();
    m_available->addItems(listRecordings(m_deps.recordingsFolder, m_filter));
}

void RecordingsBrowser::showSelection()
{
    m_selected->clear();
    m_selected->addItems(m_selection);
}

bool RecordingsBrowser::selectionChosen()
{
    if (!m_selection.isEmpty())
        return true;
    m_deps.prompter.information(kChooseOne);
    return false;
}

void RecordingsBrowser::play()
{
    if (!selectionChosen())
        return;
    const QString playlist = m_deps.programFolder + QStringLiteral("temp.m3u");
    if (!writePlaylist(playlist, m_deps.recordingsFolder, m_selection))
        return;
    if (m_deps.openFile)
        m_deps.openFile(playlist);
}

void RecordingsBrowser::burnCd(bool dataCd)
{
    if (!selectionChosen())
        return;
    if (!m_deps.prompter.question(QStringLiteral("Insert a blank disc to burn the CD")))
        return;
    if (!dataCd)
        m_deps.prompter.information(QStringLiteral("Please note: All MP3 files need to be converted before being "
                                                   "copied to an audio CD.  This takes several minutes."));
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QProgressDialog progress(QStringLiteral("Converting MP3 files for the audio CD..."), QString(), 0,
                             int(m_selection.size()), this);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    QStringList paths;
    for (const QString &name : std::as_const(m_selection)) {
        QString path = m_deps.recordingsFolder + name;
        if (!dataCd && needsDecodingForAudioCd(name)) {
            progress.setLabelText(QStringLiteral("Converting %1").arg(name));
            progress.setValue(int(paths.size()));
            QApplication::processEvents();
            const QString wav = audioCdWavPath(path);
            if (m_deps.decodeMp3)
                m_deps.decodeMp3(path, wav);
            path = wav;
        }
        paths << path;
    }
    progress.setValue(int(m_selection.size()));
    const QString result = m_deps.burn ? m_deps.burn(paths.join(QLatin1Char('?')), dataCd) : QString();
    QApplication::restoreOverrideCursor();
    if (result == QStringLiteral("Success"))
        m_deps.prompter.information(QStringLiteral("CD created successfully"));
    else
        m_deps.prompter.information(result, QStringLiteral("Error Burning CD"));
}

void RecordingsBrowser::deleteSelection()
{
    if (!selectionChosen())
        return;
    if (!m_deps.prompter.question(QStringLiteral("OK to PERMANENTLY delete the selected files?")))
        return;
    for (const QString &name : std::as_const(m_selection))
        QFile::remove(m_deps.recordingsFolder + name);
    fillAvailable();
    m_selection.clear();
    showSelection();
}

void runRecordingsBrowser(QWidget *parent, RecordingsBrowserDeps deps, const QString &filter)
{
    RecordingsBrowser browser(std::move(deps), filter, parent);
    browser.exec();
}

} // namespace skywell
