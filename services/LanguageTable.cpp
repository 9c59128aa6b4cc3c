#include "services/LanguageTable.h"

namespace {

struct LanguageEntry
{
    uint16_t    wLangId;
    const char* szCode;
};

const LanguageEntry g_languages[] = {
    {0x0413, "nld"}, // Dutch, Netherlands
    {0x040C, "fra"}, // French, France
    {0x0407, "deu"}, // German, Germany
    {0x0410, "ita"}, // Italian, Italy
    {0x0416, "ptb"}, // Portuguese, Brazil
    {0x0816, "ptb"}, // Portuguese, Portugal
    {0x040A, "esp"}, // Spanish, Spain, traditional sort
    {0x080A, "esp"}, // Spanish, Mexico
    {0x0C0A, "esp"}, // Spanish, Spain, modern sort
    {0x0804, "chs"}, // Chinese, People's Republic of China
    {0x0404, "cht"}, // Chinese, Taiwan
    {0x0412, "kor"}, // Korean
    {0x0411, "jpn"}, // Japanese
    {0x0406, "dan"}, // Danish
    {0x0414, "nor"}, // Norwegian, Bokmal
    {0x0415, "plk"}, // Polish
    {0x041D, "sve"}, // Swedish
    {0x040B, "fin"}, // Finnish
};

} // namespace

const char* LanguageCodeFromLangId(uint16_t wLangId)
{
    for (const LanguageEntry& entry : g_languages)
    {
        if (entry.wLangId == wLangId)
            return entry.szCode;
    }
    return "enu";
}
