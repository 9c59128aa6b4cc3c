// Names on a disc image as Windows shows them, in UTF-8.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>

// An ISO 9660 or Joliet name as recorded (already in UTF-8) as the CD file
// system driver lists it: the version after the first ';' cut off, then one
// trailing '.' dropped ("SETUP.EXE;1" -> "SETUP.EXE", "README.;1" ->
// "README"). Empty when nothing is left, which the driver treats as a
// corrupt entry.
std::string CdWindowsName(const std::string& recorded);

// UTF-16 big-endian text (Joliet, UDF 16-bit names) to UTF-8. Windows keeps
// the code units as they are; a lone surrogate, which UTF-8 cannot carry,
// becomes U+FFFD.
std::string Utf16BeToUtf8(const uint8_t* pBytes, size_t cbBytes);

// A UDF name (its compression identifier byte, then the characters): 8 is
// one byte per character, Latin-1; 16 is UTF-16 big-endian. 0 for any other
// identifier or a 16-bit name of odd length.
int UdfNameToUtf8(const uint8_t* pBytes, size_t cbBytes, std::string* pName);

// 1 when the CD and UDF drivers refuse the name (a control character or one
// of * ? / : \ in it) or the name is empty.
int IsNameRefused(const std::string& name);

// The number of UTF-16 code units of UTF-8 text: how Windows counts the
// length of a path.
size_t Utf16Length(const std::string& utf8);
