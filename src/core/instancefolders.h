#pragma once

#include <QString>

namespace skywell
{

// Where the single-instance socket of a program folder lives: in
// $XDG_RUNTIME_DIR when it is a folder of this user that others cannot
// write to, otherwise in a folder of this user only (mode 0700) in the
// temporary folder, created when missing. A folder there that another user
// made first, or that others may enter, is refused: error says why.
struct SocketPlace {
    QString path;
    QString error;
};

SocketPlace instanceSocketPlace(const QString &programFolder);

// Why the folder cannot hold this user's private files; empty when it can.
// ownerOnly demands mode 0700; otherwise only group and others may not
// write. A symbolic link is refused when followLink is false.
QString privateFolderProblem(const QString &folder, bool ownerOnly, bool followLink);

} // namespace skywell
