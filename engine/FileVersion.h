// The "FileVersion" text of a file's version resource and its comparison
// with a required version.
#pragma once

#include <stddef.h>

// Reads the "FileVersion" string of the string table that the file's first
// translation names into szVersion (cchVersion bytes, at least 1; the caller
// clears it). No other translation and no other key is tried. A longer text
// is cut to fit; a cut can only make the version read older, never newer.
// 1 when szVersion now holds a non-empty text; 0 otherwise (no version
// resource, no translation table, no such string, version.dll not usable).
int QueryFileVersion(const char* szFile, char* szVersion, size_t cchVersion);

// 1 when the file's version text, normalised (commas to full stops, blanks
// removed), names a version at least as new as szRequired, compared number
// by number (IsVersionCurrent); 0 when it is older or the file has no usable
// version text. Logs "<required> <found> <file>" in either case, the
// required text as the caller passes it and whole.
int CheckFileVersion(const char* szRequired, const char* szFile);
