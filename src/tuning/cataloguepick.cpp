#include "tuning/cataloguepick.h"

#include "shows/localtime.h"

namespace skywell
{

void applyPick(Show &show, const PickResult &pick, CatalogueMode mode)
{
    setFieldText(show.name, pick.name);
    setFieldText(show.url, pick.address);
    show.tunerKind = pick.playerLetter;
    show.addressOrigin = kAddressFromCatalogue;
    if (pick.flags & OPT_DIRECT_DOWNLOAD)
        setFieldText(show.recordSource, QStringLiteral("Direct Download"));
    if (mode == CatalogueMode::Station) {
        show.flags = pick.flags;
        return;
    }
    if (pick.start != 0)
        show.startTime = toStoredTime(pick.start);
    if (pick.end != 0)
        show.endTime = toStoredTime(pick.end);
    if (pick.flags != 0)
        show.flags = (show.flags & ~SHOW_DAYS) | pick.flags;
}

} // namespace skywell
