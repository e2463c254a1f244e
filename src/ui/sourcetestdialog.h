#pragma once

#include <QDialog>

class QLabel;

namespace skywell
{

class RecordingSourceTest;

// "Recording Source Test": explains the test and runs it on "Default
// Device" without asking first; it stays open until "Done".
class SourceTestDialog final : public QDialog
{
    Q_OBJECT
public:
    SourceTestDialog(RecordingSourceTest &test, QWidget *parent = nullptr);

private:
    void begin();

    RecordingSourceTest &m_test;
    QLabel *m_progress;
};

// Runs the source test with the wait cursor shown: the sheet's and the
// editor's "Test Recording Sources" (ask set: the user confirms first).
void runSourceTestWaiting(RecordingSourceTest &test, const QString &card, bool ask);

} // namespace skywell
