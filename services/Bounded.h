// Bounded string copies. Pure code, shared with the native fuzzing build.
#pragma once

#include <stdint.h>

// Status codes of CopyStringBounded; the values are the Windows HRESULTs.
const int32_t BOUNDED_S_OK                  = 0;
const int32_t BOUNDED_E_INVALIDARG          = static_cast<int32_t>(0x80070057);
const int32_t BOUNDED_E_INSUFFICIENT_BUFFER = static_cast<int32_t>(0x8007007A); // ERROR_INSUFFICIENT_BUFFER

// Copies szSource into szDest, which holds cchDest characters including the
// terminator. A source of cchDest or more characters is cut to cchDest - 1
// and terminated (BOUNDED_E_INSUFFICIENT_BUFFER). A capacity of 0 or above
// 0x7FFFFFFF leaves the destination untouched (BOUNDED_E_INVALIDARG).
int32_t CopyStringBounded(char* szDest, uint32_t cchDest, const char* szSource);
