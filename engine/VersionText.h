// Version texts of the installer engine's files: the light clean-up of the
// "FileVersion" text and the comparison with the required version.
//
// Pure code: no Windows headers, so it also builds natively for fuzzing.
#pragma once

#include <stddef.h>

// Size of the buffer that holds a file's version text (49 characters and the
// terminator).
const size_t VERSION_TEXT_SIZE = 50;

// Overwrites every chFind in szText with chReplace.
void ReplaceChar(char* szText, char chFind, char chReplace);

// Removes every chRemove from szText, moving the rest down.
void RemoveChar(char* szText, char chRemove);

// Turns every "," into "." and removes every blank: "6, 31, 100, 1190"
// becomes "6.31.100.1190".
void NormalizeVersionText(char* szText);

// Compares two version texts numerically, field by field, and returns -1, 0
// or 1 as szLeft is older than, the same as or newer than szRight.
//
// How a text is read: blanks are skipped and "," counts as ".", as after
// NormalizeVersionText. The version is the leading run of decimal fields
// separated by "."; it ends at the first other character ("1190 (beta)"
// reads as 1190), a field without digits counts as 0, and missing trailing
// fields count as 0 ("6.31" equals "6.31.0.0"). Fields are compared as digit
// strings without their leading zeros, so numbers of any length compare
// exactly and nothing overflows.
int CompareVersionTexts(const char* szLeft, const char* szRight);

// 1 when szFound names a version at least as new as szRequired (the file is
// up to date); 0 when it is older, and also when its first field has no
// digits (no text, "unknown", "-1", ...), since such a file proves nothing.
int IsVersionCurrent(const char* szRequired, const char* szFound);

// Copies a text that lies in a block of cbAvailable readable bytes into
// szDest (cchDest bytes, terminator included). The copy stops at the text's
// terminator, at the end of the block (a text left unterminated by a broken
// resource is not read past it) or when szDest is full, and is always
// terminated when cchDest > 0. Returns the number of characters copied.
size_t CopyTextWithin(char* szDest, size_t cchDest, const char* pText, size_t cbAvailable);
