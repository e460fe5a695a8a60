#include "inspect/map_facts.h"

namespace plandrix::facts {

// Checked here once, at compile time, so that a slip in the tables cannot go unseen.
static_assert(ResourceKindOf(0x47) == ResourceKind::kCoal);
static_assert(ResourceKindOf(0x49) == ResourceKind::kIron);
static_assert(ResourceKindOf(0x57) == ResourceKind::kGold);
static_assert(ResourceKindOf(0x5F) == ResourceKind::kGranite);
static_assert(!ResourceKindOf(0x48) && !ResourceKindOf(0x80) && !ResourceKindOf(0x22));
static_assert(IsKnownTerrain(0x40 | 34, 0) && !IsKnownTerrain(17, 0) && IsKnownTerrain(17, 1));

}  // namespace plandrix::facts
