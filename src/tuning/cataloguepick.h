#pragma once

#include "shows/show.h"
#include "tuning/catalogueline.h"

namespace skywell
{

// A catalogue pick taken into a new Show: name, address, player letter,
// direct download; a picked show's nonzero times and weekdays, a picked
// station's whole flag word.
void applyPick(Show &show, const PickResult &pick, CatalogueMode mode);

} // namespace skywell
