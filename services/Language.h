// The three-letter language code of the system's default language.
#pragma once

// Returns a newly allocated 261-byte buffer (free it with free()) holding the
// code, such as "enu" or "deu"; null when the allocation fails.
char* GetLanguageCode();
