#pragma once

// Whole-file saves that survive a crash or a kill at any moment: the old
// file stays whole until the new one is complete on disk. Links are
// followed, so that a link stays a link; where the directory cannot be
// written, the file is rewritten in place instead.

#include <cstddef>
#include <string>

// The file a save to name must replace: a name that is a symbolic link is
// saved into the file it points to. A chain too long to follow is left for
// the open to report.
std::string KyDurableFile_FollowLinks(const char* name);

// Writes count bytes to "<path>.tmp" beside path (a file, not a link to
// one), with the old file's permission bits, flushes them to disk, renames
// the temporary file over path with renameFile (std::rename, or a test's
// stand-in) and syncs the directory. A writer without path's lock
// (platform/FileLock.h) takes "<path>.<pid>.tmp" instead, so as not to write
// into the one of the writer that has it. Where the directory refuses the
// temporary file, path itself is rewritten in place, as long as it is
// writable. 0 when the bytes are saved; otherwise the error (an errno
// value), the old file kept and the temporary file removed.
int KyDurableFile_Write(const std::string& path, const unsigned char* bytes, size_t count, bool locked,
                        int (*renameFile)(const char* from, const char* to));
