#pragma once

#include <QObject>
#include <QString>

namespace skywell
{

class Prompter;

// Opens the installed user guide at a section in the desktop's web browser
// (xdg-open on a page in the user's cache that forwards to the guide's
// #anchor). Never waits: a
// browser that cannot be started, or a desktop without one, is reported
// when xdg-open ends, with the guide's path so the user can open it by hand.
class UserGuideOpener final : public QObject
{
    Q_OBJECT
public:
    UserGuideOpener(Prompter &prompter, QString executableFolder, QObject *parent = nullptr);

    // anchor: a section's id, or "" for the top of the guide.
    void open(const QString &anchor);

Q_SIGNALS:
    // The browser was started (true) or could not be (false, after the
    // message). For tests and callers that wait for nothing.
    void opened(bool started);

private:
    void report(const QString &reason, const QString &guide);

    Prompter &m_prompter;
    QString m_executableFolder;
};

} // namespace skywell
