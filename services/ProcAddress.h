// Typed look-up of a function exported by a library loaded at run time.
#pragma once

#include <windows.h>

// GetProcAddress cast to the function's own pointer type; null when hLibrary
// is null or does not export szName. The detour through void* keeps GCC from
// warning about the cast between function types.
template <typename TFunction>
TFunction GetProcAddressAs(HMODULE hLibrary, const char* szName)
{
    if (hLibrary == nullptr)
        return nullptr;
    return reinterpret_cast<TFunction>(reinterpret_cast<void*>(GetProcAddress(hLibrary, szName)));
}
