#include "import/GenreTable.h"

namespace import {

GenreTable &GenreTable::instance() {
    static GenreTable table;
    return table;
}

} // namespace import
