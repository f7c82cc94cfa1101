#pragma once
// The schema script the program's catalogues are made from (the one the empty catalogue is built
// from), built into the program so that an older catalogue can be brought up to it.
#include <QString>

namespace core {

class CatalogueSchema {
public:
    static QString sql();
};

} // namespace core
