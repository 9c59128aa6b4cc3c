// Names as the image records them, turned into what Windows lists.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>

// An ISO 9660 or Joliet identifier as NT's CD file system lists it: cut at
// the first ';' (the version), then one trailing '.' dropped ("SETUP.EXE;1"
// -> "SETUP.EXE", "README.;1" -> "README"). *pVersion: the number after the
// ';' (0 without one, or when it is not a number up to 32767).
std::string CdWindowsName(const std::string& recorded, uint32_t* pVersion = nullptr);

// UTF-16 big-endian code units (Joliet, UDF 16-bit names) to UTF-8. A lone
// surrogate, which UTF-8 cannot carry, becomes U+FFFD; an odd last byte is
// dropped.
std::string Utf16BeToUtf8(const uint8_t* pBytes, size_t cbBytes);

// A UDF name in OSTA compressed Unicode (its compression identifier byte,
// then the characters): 8 is one byte per character, the first 256 code
// points (Latin-1); 16 is UTF-16 big-endian. 0 for any other identifier, an
// empty name, or a 16-bit name of odd length.
int UdfNameToUtf8(const uint8_t* pBytes, size_t cbBytes, std::string* pName);

// One code point appended to UTF-8 text (U+FFFD for what UTF-8 cannot carry).
void AppendUtf8(char32_t point, std::string* pText);
