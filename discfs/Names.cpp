#include "discfs/Names.h"

std::string CdWindowsName(const std::string& recorded, uint32_t* pVersion)
{
    // The driver (CdConvertNameToCdName, CdUpdateDirentName in Microsoft's
    // published CDFS source, filesys/cdfs/namesup.c and dirsup.c) splits the
    // name at the first ';' and then backs up over one final period, for
    // Joliet names as well as ISO 9660 ones.
    const size_t nSemicolon = recorded.find(';');
    std::string  name = recorded.substr(0, nSemicolon);
    if (!name.empty() && name.back() == '.')
        name.pop_back();
    if (pVersion)
    {
        // ECMA-119 7.5.1: the version is 1 to 32767 in digits.
        uint32_t nVersion = 0;
        if (nSemicolon != std::string::npos && nSemicolon + 1 < recorded.size() && recorded.size() - nSemicolon <= 6)
        {
            for (size_t i = nSemicolon + 1; i < recorded.size() && nVersion <= 32767; ++i)
            {
                const char ch = recorded[i];
                nVersion = ch >= '0' && ch <= '9' ? nVersion * 10 + static_cast<uint32_t>(ch - '0') : 0xFFFFFFFF;
            }
        }
        *pVersion = nVersion > 32767 ? 0 : nVersion;
    }
    return name;
}

void AppendUtf8(char32_t point, std::string* pText)
{
    if ((point >= 0xD800 && point < 0xE000) || point > 0x10FFFF)
        point = 0xFFFD;
    if (point < 0x80)
        *pText += static_cast<char>(point);
    else if (point < 0x800)
    {
        *pText += static_cast<char>(0xC0 | (point >> 6));
        *pText += static_cast<char>(0x80 | (point & 0x3F));
    }
    else if (point < 0x10000)
    {
        *pText += static_cast<char>(0xE0 | (point >> 12));
        *pText += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        *pText += static_cast<char>(0x80 | (point & 0x3F));
    }
    else
    {
        *pText += static_cast<char>(0xF0 | (point >> 18));
        *pText += static_cast<char>(0x80 | ((point >> 12) & 0x3F));
        *pText += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        *pText += static_cast<char>(0x80 | (point & 0x3F));
    }
}

std::string Utf16BeToUtf8(const uint8_t* pBytes, size_t cbBytes)
{
    std::string text;
    for (size_t i = 0; i + 1 < cbBytes; i += 2)
    {
        char32_t point = static_cast<char32_t>((pBytes[i] << 8) | pBytes[i + 1]);
        if (point >= 0xD800 && point < 0xDC00 && i + 3 < cbBytes)
        {
            const char32_t low = static_cast<char32_t>((pBytes[i + 2] << 8) | pBytes[i + 3]);
            if (low >= 0xDC00 && low < 0xE000)
            {
                point = 0x10000 + ((point - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        AppendUtf8(point, &text);
    }
    return text;
}

int UdfNameToUtf8(const uint8_t* pBytes, size_t cbBytes, std::string* pName)
{
    pName->clear();
    if (cbBytes < 2)
        return 0;
    if (pBytes[0] == 8)
    {
        for (size_t i = 1; i < cbBytes; ++i)
            AppendUtf8(pBytes[i], pName);
        return 1;
    }
    if (pBytes[0] == 16 && (cbBytes - 1) % 2 == 0)
    {
        *pName = Utf16BeToUtf8(pBytes + 1, cbBytes - 1);
        return 1;
    }
    return 0;
}
