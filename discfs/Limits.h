// What the reader takes from an image at most, whatever its structures
// claim. An image past one of these is refused with a line that says which;
// memory stays within about 256 MiB and time grows with the structures read.
#pragma once

#include <stddef.h>
#include <stdint.h>

// The CD and DVD logical block: ISO 9660 and the UDF of optical media.
const size_t FS_BLOCK = 2048;

// One folder's recorded bytes. The largest folder mastering tools write for
// a product disc is a few hundred KiB (10000 names of 100 characters in
// UTF-16 are 2 MiB); a folder claiming more is refused before it is read.
const uint64_t FS_MAX_FOLDER_BYTES = 8 * 1024 * 1024;

// Names in all trees of one image together: about 100 MiB of entries.
const size_t FS_MAX_ENTRIES = 1000000;

// Folder levels below the root. Windows paths end long before (MAX_PATH).
const int FS_MAX_DEPTH = 255;

// Pieces a file's bytes may be recorded in (ISO 9660 extents, UDF
// allocation descriptors), in all trees together.
const size_t FS_MAX_EXTENTS = 4000000;

// The bytes ReadFile hands back at most: discplan reads Setup.ini and
// autorun.inf, never a program.
const size_t FS_MAX_READ_BYTES = 64 * 1024 * 1024;
