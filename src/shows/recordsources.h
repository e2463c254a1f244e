#pragma once

#include <QString>

namespace skywell
{

// The recording sources a Show may name beside a sound card's.
// Fetching the address into a file as it is, without decoding it.
inline const QString kDirectDownload = QStringLiteral("Direct Download");
// Recording the Show's address itself, decoded by Skywell: no player, no
// sound card.
inline const QString kInternetStream = QStringLiteral("Internet Stream");

} // namespace skywell
