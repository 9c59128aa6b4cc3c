// The memory and string functions that the compiler and the code call, for
// the programs linked without the C runtime; same contracts as the C
// library's.
#pragma once

#include <stddef.h>

extern "C" {

void*  memcpy(void* pDest, const void* pSource, size_t cbSize);
void*  memmove(void* pDest, const void* pSource, size_t cbSize);
void*  memset(void* pDest, int nByte, size_t cbSize);
int    memcmp(const void* pLeft, const void* pRight, size_t cbSize);
size_t strlen(const char* szText);

} // extern "C"
