#pragma once

#include "tuning/tuningaddress.h"

#include <QString>
#include <QStringList>

namespace skywell
{

// The stream types whose default handler counts as the desktop's media
// player, asked in this order.
inline const QStringList kStreamMediaTypes{QStringLiteral("audio/x-mpegurl"), QStringLiteral("audio/mpeg"),
                                           QStringLiteral("audio/aac"), QStringLiteral("audio/ogg"),
                                           QStringLiteral("audio/x-scpls")};

// The command that plays the address in the desktop's default application
// for the first of types that has one, as the freedesktop.org rules find
// it: "Default Applications" of the mimeapps.list files (user's first),
// else the applications' own "MIME Cache"; the application's Exec line
// with its field codes filled in (the address appended when it has none).
// error says why there is none.
ProgramCommand desktopPlayerCommand(const QString &address, const QStringList &types = kStreamMediaTypes);

inline const QString kNoDesktopPlayerText =
    QStringLiteral("No media player is set for audio streams on this desktop. Choose one in your desktop's "
                   "settings (for example with \"xdg-mime default vlc.desktop audio/x-mpegurl\"), or tune this "
                   "Show with another choice of \"Tune With\".");

} // namespace skywell
