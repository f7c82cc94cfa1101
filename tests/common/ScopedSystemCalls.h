#pragma once
// Test replacements for the system calls of core::NoReplaceFiles, put back as they were when it
// goes: `ScopedSystemCalls calls; calls->fsync = [](int) { errno = EIO; return -1; };`.
#include "core/NoReplaceFiles.h"

#include <QFile>
#include <QFileInfo>

class ScopedSystemCalls {
public:
    ScopedSystemCalls() : saved_(core::NoReplaceFiles::calls()) {}
    ~ScopedSystemCalls() { core::NoReplaceFiles::calls() = saved_; }
    ScopedSystemCalls(const ScopedSystemCalls &) = delete;
    ScopedSystemCalls &operator=(const ScopedSystemCalls &) = delete;
    core::NoReplaceFiles::SystemCalls *operator->() { return &core::NoReplaceFiles::calls(); }

    // Whether a path the calls were given names a copy's temporary file.
    static bool temporary(const char *path) {
        return core::NoReplaceFiles::isCutCopyName(QFileInfo(QFile::decodeName(path)).fileName());
    }

private:
    core::NoReplaceFiles::SystemCalls saved_;
};
