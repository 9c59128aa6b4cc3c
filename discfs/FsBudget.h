// What all the trees of one image may take together (Limits.h): one budget
// handed to each reader in turn.
#pragma once

#include <stddef.h>

#include <string>

#include "discfs/Limits.h"

struct FsBudget
{
    size_t nEntries = 0;
    size_t nExtents = 0;

    // Counts n more entries or extents; 0 with *pError when past the limit.
    int TakeEntries(size_t n, std::string* pError);
    int TakeExtents(size_t n, std::string* pError);
};
