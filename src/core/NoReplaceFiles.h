#pragma once
// Putting a file under a new name without ever replacing another, and so that a kill, a crash
// or a power cut at any moment leaves under that name either nothing or the whole file. The
// editor's move of a song's file and the copies of music files to another folder both go
// through here.
//
// A copy is written under a hidden temporary name (".orvalis-copy-" and six characters) in the
// target's own folder, given the source's permission bits, synced to the disk, and only then
// linked onto its real name. What a kill leaves is that temporary file alone, which
// clearCutCopies() removes the next time files are copied into the folder.
#include <QString>

#include <sys/types.h>

namespace core {

class NoReplaceFiles {
public:
    // rename(2) that refuses to replace any entry at `to`: the kernel's no-replace rename; on a
    // file system without that flag a hard link and then the old name removed (a link refuses
    // an existing target too); without hard links either (FAT) a look for an entry at `to` and
    // a plain rename. 0, or the errno of the failure (EEXIST when an entry is at `to`).
    static int rename(const QString &from, const QString &to);

    // Copies the file `from` to the new name `to` as described above. 0, or the errno of the
    // failure (EEXIST when an entry is at `to`); on failure nothing is left at `to` or under a
    // temporary name, and `from` is untouched.
    static int copy(const QString &from, const QString &to);

    // unlink(2): 0, or the errno of the failure.
    static int remove(const QString &path);

    // Removes the temporary files of copies into `folder` that were cut short; how many.
    static int clearCutCopies(const QString &folder);

    // Whether a name is one of those temporary files.
    static bool isCutCopyName(const QString &fileName);

    // The system calls the roads above make where a file system differs or fails. A test puts
    // its own in their place to meet what it cannot make here: a rename across file systems,
    // a file system without the no-replace flag or without hard links, a failing sync or
    // unlink, a copy stopped by a kill.
    struct SystemCalls {
        int (*renameat2)(int, const char *, int, const char *, unsigned);
        int (*link)(const char *, const char *);
        ssize_t (*copy_file_range)(int, off64_t *, int, off64_t *, size_t, unsigned);
        ssize_t (*write)(int, const void *, size_t);
        int (*fsync)(int);
        int (*unlink)(const char *);
    };
    static SystemCalls &calls();
    // The calls of the system itself.
    static SystemCalls systemCalls();
};

} // namespace core
