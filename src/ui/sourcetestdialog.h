#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace skywell
{

class RecordingSourceTest;

// "Recording Source Test": explains the test and runs it on "Default
// Device" without asking first, showing which source it tries; it stays
// open until "Done".
class SourceTestDialog final : public QDialog
{
    Q_OBJECT
public:
    SourceTestDialog(RecordingSourceTest &test, QWidget *parent = nullptr);
    ~SourceTestDialog() override;

private:
    void begin();
    void ended();

    RecordingSourceTest &m_test;
    QPushButton *m_begin;
    QLabel *m_progress;
    QProgressBar *m_bar;
    bool m_waiting = false;
};

// Starts the source test with the busy cursor shown until it has tried
// every source: the sheet's and the editor's "Test Recording Sources" and
// Quick Record's "Test" (ask set: the user confirms first). Returns at
// once; the test goes on beside the windows.
void runSourceTestWaiting(RecordingSourceTest &test, const QString &card, bool ask);

} // namespace skywell
