#pragma once
#include <cstddef>

// Where the program's own files (textures, font), which the loaders name
// relative to the working directory, are read from. On the desktop they lie
// in the working directory itself. In the browser they are packed into the
// site and unpacked into a folder of their own, since the working directory
// there is the player's storage, which is copied to the browser's database
// whole and must hold the player's files alone.

// The path to open for path: path itself, or the data folder's file of that
// relative name written into buffer (when it fits).
const char* KyData_Locate(const char* path, char* buffer, size_t size);
