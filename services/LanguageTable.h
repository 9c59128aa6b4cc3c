// The language table: which LanguageCode a Windows language identifier
// selects. Pure code.
#pragma once

#include <stdint.h>

// The three-letter code for wLangId (primary language and sub-language
// together; only the exact identifiers of the table count). Every other
// identifier gives "enu". The text is static.
const char* LanguageCodeFromLangId(uint16_t wLangId);
