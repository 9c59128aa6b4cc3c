#include "discplan/image/CdNames.h"

#include <string.h>

#include "discplan/codepage/CodePage.h"

std::string CdWindowsName(const std::string& recorded)
{
    // The driver (CdConvertNameToCdName, CdUpdateDirentName in Microsoft's
    // published CDFS source, filesys/cdfs/namesup.c and dirsup.c) splits the
    // name at the first ';' and then backs up over one final period, for
    // Joliet names as well as ISO 9660 ones.
    std::string name = recorded.substr(0, recorded.find(';'));
    if (!name.empty() && name.back() == '.')
        name.pop_back();
    return name;
}

std::string Utf16BeToUtf8(const uint8_t* pBytes, size_t cbBytes)
{
    std::u32string points;
    for (size_t i = 0; i + 1 < cbBytes; i += 2)
    {
        char32_t ch = static_cast<char32_t>((pBytes[i] << 8) | pBytes[i + 1]);
        if (ch >= 0xD800 && ch < 0xDC00 && i + 3 < cbBytes)
        {
            const char32_t low = static_cast<char32_t>((pBytes[i + 2] << 8) | pBytes[i + 3]);
            if (low >= 0xDC00 && low < 0xE000)
            {
                ch = 0x10000 + ((ch - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        // A lone surrogate, which UTF-8 cannot carry, becomes U+FFFD there.
        points += ch;
    }
    return Utf8(points);
}

int UdfNameToUtf8(const uint8_t* pBytes, size_t cbBytes, std::string* pName)
{
    pName->clear();
    if (cbBytes == 0)
        return 0;
    if (pBytes[0] == 8)
    {
        *pName = Utf8(std::u32string(pBytes + 1, pBytes + cbBytes));
        return 1;
    }
    if (pBytes[0] == 16 && (cbBytes - 1) % 2 == 0)
    {
        *pName = Utf16BeToUtf8(pBytes + 1, cbBytes - 1);
        return 1;
    }
    return 0;
}

int IsNameRefused(const std::string& name)
{
    // CdIsLegalName (namesup.c) lets through what HPFS allows, wildcards
    // excepted, plus " < > |: what is left out is a control character and
    // * ? / : \. A UDF name with one of them is shown under another name.
    if (name.empty())
        return 1;
    for (unsigned char ch : name)
    {
        if (ch < 0x20 || strchr("*?/:\\", ch))
            return 1;
    }
    return 0;
}

size_t Utf16Length(const std::string& utf8)
{
    size_t n = 0;
    for (char32_t point : CodePoints(utf8))
        n += point >= 0x10000 ? 2 : 1; // a surrogate pair
    return n;
}
