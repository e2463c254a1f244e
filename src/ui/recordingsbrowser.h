#pragma once

#include <QDialog>
#include <QStringList>
#include <functional>

class QLabel;
class QTreeWidget;

namespace skywell
{

class Prompter;
struct RecordingScan;

// What the recordings browser works on and calls.
struct RecordingsBrowserDeps {
    Prompter &prompter;
    // Both end in '/'; the playlist "temp.m3u" goes into the program folder.
    QString recordingsFolder;
    QString programFolder;
    // Opens a file with the desktop's program for it; failed, called later
    // and only while context lives, says why nothing played.
    std::function<void(const QString &path, QObject *context, std::function<void(const QString &problem)> failed)>
        openFile;
    // Decodes a compressed track (MP3, AAC, Ogg) to a CD-format WAV file;
    // false on failure.
    std::function<bool(const QString &trackPath, const QString &wavPath)> decodeForAudioCd;
    // Burns the "?"-separated list; returns the writer's result text.
    std::function<QString(const QString &fileList, bool dataCd)> burn;
};

// "View Recorded Shows": the recordings passing the filter with their date,
// length and title, newest first. Play, Burn and Delete act on the rows
// selected; a double click plays one. The folder is read off the window's
// thread, so a large or slow folder never stops the window.
class RecordingsBrowser final : public QDialog
{
    Q_OBJECT
public:
    RecordingsBrowser(RecordingsBrowserDeps deps, const QString &filter, QWidget *parent = nullptr);

    // The file names listed, top to bottom, and those selected.
    QStringList available() const;
    QStringList selection() const;

Q_SIGNALS:
    // The folder has been read and the list shows what it holds.
    void listed();

private:
    void fillAvailable();
    void showScan(const RecordingScan &scan);
    bool selectionChosen(const QStringList &names);
    void play(const QStringList &names);
    void burnCd(bool dataCd);
    void moveSelectionToTrash();

    RecordingsBrowserDeps m_deps;
    QString m_filter;
    int m_scan = 0;
    QLabel *m_showing = nullptr;
    QLabel *m_state = nullptr;
    QTreeWidget *m_list = nullptr;
};

// Runs the browser over the recordings passing filter ("." for all).
void runRecordingsBrowser(QWidget *parent, RecordingsBrowserDeps deps, const QString &filter);

} // namespace skywell
