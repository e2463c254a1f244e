#include "shows/sharedsource.h"

#include "shows/recordsources.h"
#include "shows/tunewith.h"

namespace skywell
{

bool needsChosenSource(const Show &show, bool tuneInBrowser)
{
    const QString source = fieldText(show.recordSource);
    if ((show.flags & OPT_DIRECT_DOWNLOAD) || source == kDirectDownload || source == kInternetStream)
        return false;
    // The desktop's media player may be a program already running that
    // takes the address into its own window, playing where it always does.
    const bool ownPlayer = !tuneInBrowser && tuneWithOf(show.tunerKind) != TuneWith::DesktopPlayer;
    return fieldText(show.url).isEmpty() || !ownPlayer || !recordsPlayback(source);
}

bool recordsPlayback(const QString &recordSource)
{
    return recordSource.isEmpty() || recordSource == QStringLiteral("Default Device") ||
           recordSource.contains(QStringLiteral("monitor"), Qt::CaseInsensitive);
}

} // namespace skywell
