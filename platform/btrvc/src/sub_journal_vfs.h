// The SQLite file system the record manager opens its databases with: the
// machine's own, except that a statement journal (the undo of a savepoint)
// is kept in memory.
//
// Every process's transaction is a savepoint, and SQLite copies each page
// it first changes inside one to the statement journal.  On disk that is a
// temporary file written twice a page and never read unless the savepoint is
// rolled back: two system calls a page, most of a posting's time.  Here the
// journal lives in memory up to a bound and moves to a temporary file when
// it grows past it (1 MiB), so a transaction of any size still fits.
#pragma once

namespace btrvc {

// The name to pass to sqlite3_open_v2; registered on the first call (not as
// the default, so other users of SQLite in the process are untouched).
// Nullptr when it could not be registered: SQLite's default is used then.
const char* SubJournalVfsName();

}  // namespace btrvc
