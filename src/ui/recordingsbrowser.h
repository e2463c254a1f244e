#pragma once

#include <QDialog>
#include <QStringList>
#include <functional>

class QLabel;
class QListWidget;

namespace skywell
{

class Prompter;

// What the recordings browser works on and calls.
struct RecordingsBrowserDeps {
    Prompter &prompter;
    // Both end in '/'; the playlist "temp.m3u" goes into the program folder.
    QString recordingsFolder;
    QString programFolder;
    // Opens a file with the desktop's program for it.
    std::function<void(const QString &path)> openFile;
    // Decodes an MP3 to a CD-format WAV file; false on failure.
    std::function<bool(const QString &mp3Path, const QString &wavPath)> decodeMp3;
    // Burns the "?"-separated list; returns the writer's result text.
    std::function<QString(const QString &fileList, bool dataCd)> burn;
};

// "View Recorded Shows": the recordings passing the filter on the left, the
// user's selection on the right, and Play, Burn and Delete on the selection.
class RecordingsBrowser final : public QDialog
{
    Q_OBJECT
public:
    RecordingsBrowser(RecordingsBrowserDeps deps, const QString &filter, QWidget *parent = nullptr);

    QStringList available() const;
    QStringList selection() const { return m_selection; }

private:
    void fillAvailable();
    void showSelection();
    bool selectionChosen();
    void play();
    void burnCd(bool dataCd);
    void deleteSelection();

    RecordingsBrowserDeps m_deps;
    QString m_filter;
    QStringList m_selection;
    QLabel *m_showing = nullptr;
    QListWidget *m_available = nullptr;
    QListWidget *m_selected = nullptr;
};

// Runs the browser over the recordings passing filter ("." for all).
void runRecordingsBrowser(QWidget *parent, RecordingsBrowserDeps deps, const QString &filter);

} // namespace skywell
