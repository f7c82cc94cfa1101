#pragma once
// The saved queries that find duplicate songs, created in a catalogue that lacks them.
namespace platform::db {
class Database;
}

namespace core {

// Creates each set of four duplicate queries (same artist, song name and file size; same artist,
// song name and album) when the first query of the set is missing. Errors are ignored: a query
// that cannot be created stays missing, and a set whose first query exists is left as it is.
void createDuplicateQueries(platform::db::Database &db);

} // namespace core
