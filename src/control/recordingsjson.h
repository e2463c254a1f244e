#pragma once

#include <QJsonArray>
#include <QString>
#include <QStringList>

namespace skywell
{

// The recordings folder's listed files, newest first, as clients see them:
// {"file" (the name in the folder, never a path), "show" (the Show whose
// name the file begins with; empty when none), "date" (last written, ISO
// 8601 local time), "bytes", "seconds" (absent when not known), "mime"}.
// problem says why the folder could not be read.
QJsonArray recordingsJson(const QString &folder, const QStringList &showNames, QString &problem);

// The MIME type of a recording by its extension.
QString recordingMimeType(const QString &fileName);

} // namespace skywell
