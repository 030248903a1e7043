#pragma once
// Whole-file writes that never leave a half-written file under the final
// name: the bytes go to a temporary file in the same directory, which is
// flushed, closed and only then renamed over the target.

#include <cstdint>
#include <string>
#include <vector>

// Creates `path`'s directory if needed. Reports any failure on standard
// error (naming the file and the reason) and returns false; the temporary
// file is removed in that case.
bool WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes);

// mkdir -p; reports failures.
bool MakeDirectories(const std::string& path);
