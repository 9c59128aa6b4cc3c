#include "discplan/image/CdNames.h"

#include <string.h>

namespace {

void AppendUtf8(std::string* pOut, uint32_t ch)
{
    if (ch < 0x80)
        *pOut += static_cast<char>(ch);
    else if (ch < 0x800)
    {
        *pOut += static_cast<char>(0xC0 | (ch >> 6));
        *pOut += static_cast<char>(0x80 | (ch & 0x3F));
    }
    else if (ch < 0x10000)
    {
        *pOut += static_cast<char>(0xE0 | (ch >> 12));
        *pOut += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
        *pOut += static_cast<char>(0x80 | (ch & 0x3F));
    }
    else
    {
        *pOut += static_cast<char>(0xF0 | (ch >> 18));
        *pOut += static_cast<char>(0x80 | ((ch >> 12) & 0x3F));
        *pOut += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
        *pOut += static_cast<char>(0x80 | (ch & 0x3F));
    }
}

} // namespace

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
    std::string out;
    for (size_t i = 0; i + 1 < cbBytes; i += 2)
    {
        uint32_t ch = (pBytes[i] << 8) | pBytes[i + 1];
        if (ch >= 0xD800 && ch < 0xDC00 && i + 3 < cbBytes)
        {
            uint32_t low = (pBytes[i + 2] << 8) | pBytes[i + 3];
            if (low >= 0xDC00 && low < 0xE000)
            {
                AppendUtf8(&out, 0x10000 + ((ch - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        if (ch >= 0xD800 && ch < 0xE000)
            ch = 0xFFFD;
        AppendUtf8(&out, ch);
    }
    return out;
}

int UdfNameToUtf8(const uint8_t* pBytes, size_t cbBytes, std::string* pName)
{
    pName->clear();
    if (cbBytes == 0)
        return 0;
    if (pBytes[0] == 8)
    {
        for (size_t i = 1; i < cbBytes; ++i)
            AppendUtf8(pName, pBytes[i]);
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
    for (unsigned char ch : utf8)
    {
        if ((ch & 0xC0) != 0x80)
            n += ch >= 0xF0 ? 2 : 1; // four-byte sequences are surrogate pairs
    }
    return n;
}
