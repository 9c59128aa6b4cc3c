// The C and C++ heap functions of the programs linked without the C runtime,
// on the process heap. Allocations that fail give null; nothing throws.
#include <windows.h>

extern "C" {

void* malloc(size_t cbSize);
void* calloc(size_t nCount, size_t cbSize);
void  free(void* pBlock);

} // extern "C"

void* malloc(size_t cbSize) { return HeapAlloc(GetProcessHeap(), 0, cbSize); }

void* calloc(size_t nCount, size_t cbSize)
{
    if (cbSize != 0 && nCount > static_cast<size_t>(-1) / cbSize)
        return nullptr;
    return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, nCount * cbSize);
}

void free(void* pBlock)
{
    if (pBlock != nullptr)
        HeapFree(GetProcessHeap(), 0, pBlock);
}

// Null when the heap has no room, as malloc. The product code is compiled
// with -fcheck-new, so that a new-expression then gives null without running
// the constructor, and the caller's test for null stays.
void* operator new(size_t cbSize) { return malloc(cbSize); }
void* operator new[](size_t cbSize) { return malloc(cbSize); }
void  operator delete(void* pBlock) noexcept { free(pBlock); }
void  operator delete[](void* pBlock) noexcept { free(pBlock); }
void  operator delete(void* pBlock, size_t) noexcept { free(pBlock); }
void  operator delete[](void* pBlock, size_t) noexcept { free(pBlock); }
