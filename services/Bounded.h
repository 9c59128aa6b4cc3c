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

// Size of the work buffer that a settings value is first read into.
const uint32_t SETTINGS_WORK_SIZE = 39000;

// Hands a settings value from the zero-filled work buffer (cbWork bytes) to
// the caller's buffer of *pcchCapacity characters. A value shorter than the
// capacity is copied with the zero bytes after it (up to the capacity) and
// gives 1. A longer one leaves a terminated cut copy (at most capacity - 1
// characters), stores its length in *pcchCapacity and gives 0.
int CopyProfileValue(const char* pWork, uint32_t cbWork, char* szDest, uint32_t* pcchCapacity);

// The count handed to the bounded copy of a registry string (which keeps at
// most count - 1 characters and a terminator): the smaller of the bytes the
// value returned and cbCapacity - 1. So a buffer of cbCapacity bytes receives
// at most cbCapacity - 2 characters (258 of a 260-byte buffer), and a value
// stored without a terminator loses its last byte. 0 (copy nothing) when
// cbCapacity is below 2.
uint32_t RegistryCopyCount(uint32_t cbData, uint32_t cbCapacity);
