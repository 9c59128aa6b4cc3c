#include "services/Language.h"

#include <stdlib.h>
#include <windows.h>

#include "services/Bounded.h"
#include "services/LanguageTable.h"

namespace {

// Size of the returned buffer; callers copy it into a MAX_PATH string.
const uint32_t LANGUAGE_CODE_SIZE = 261;

} // namespace

char* GetLanguageCode()
{
    char* szCode = static_cast<char*>(malloc(LANGUAGE_CODE_SIZE));
    if (szCode == nullptr)
        return nullptr;
    // The system's default language, not the user's own setting or the
    // language of the user interface.
    CopyStringBounded(szCode, LANGUAGE_CODE_SIZE, LanguageCodeFromLangId(GetSystemDefaultLangID()));
    return szCode;
}
