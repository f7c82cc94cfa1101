#pragma once
// The date rule of the find lives with the database layer, which reads typed dates the same way.
#include "platform/db/LocaleDate.h"

namespace songlist {

using LocaleDate = platform::db::LocaleDate;

} // namespace songlist
