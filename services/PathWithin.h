// Path composition within a buffer of any size.
#pragma once

#include <stddef.h>

// Appends szMore to szPath as PathAppendA does (one backslash between them),
// where szPath is a buffer of cchPath bytes; PathAppendA itself assumes 260.
// 1 when appended; 0 when the result might not fit (szPath unchanged) or
// PathAppendA refuses.
int AppendPathWithin(char* szPath, size_t cchPath, const char* szMore);

// Builds szFolder joined with szName in szPath (cchPath bytes). 1 when it
// fits; 0 when not, and szPath then holds the join cut to fit, for a log line.
int JoinPathWithin(char* szPath, size_t cchPath, const char* szFolder, const char* szName);
