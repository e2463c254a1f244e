#pragma once

#include <QString>

namespace skywell
{

// The one-instance lock of a program folder: an flock() on the file
// "skywell.lock" in the folder itself. The kernel drops it when the
// process ends, however it ends, so a lock file left behind (empty, or
// with any content) never blocks a start, and nothing that happens to the
// runtime folder lets a second instance run on the same program folder.
class ProgramFolderLock final
{
public:
    enum class State {
        Free,  // nobody holds it (probe only)
        Held,  // this process holds it
        Taken, // another process holds it
        Error, // it cannot be checked or taken: see error()
    };

    explicit ProgramFolderLock(const QString &programFolder);
    ~ProgramFolderLock();
    ProgramFolderLock(const ProgramFolderLock &) = delete;
    ProgramFolderLock &operator=(const ProgramFolderLock &) = delete;

    // Creates the folder and the file when missing and takes the lock:
    // Held, Taken or Error.
    State acquire();
    // Whether another process holds the lock, creating nothing: Free,
    // Taken or Error (Held when this process holds it).
    State probe();

    QString path() const { return m_path; }
    QString error() const { return m_error; }

private:
    int openLockFile(bool create);
    State fail(const QString &what);

    QString m_folder;
    QString m_path;
    QString m_error;
    int m_fd = -1;
};

} // namespace skywell
