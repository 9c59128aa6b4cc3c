// The module name comparison and the base name search over any bytes, in a
// single- and a double-byte code page.
#include <stdlib.h>
#include <string.h>

#include "FuzzInput.h"
#include "process/ModuleName.h"

namespace {

int ShiftJisLead(unsigned char ch) { return (ch >= 0x81 && ch <= 0x9F) || (ch >= 0xE0 && ch <= 0xFC); }
int NoLead(unsigned char) { return 0; }

std::string Lower(std::string text)
{
    for (char& ch : text)
        if (ch >= 'A' && ch <= 'Z')
            ch = static_cast<char>(ch - 'A' + 'a');
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t cbData)
{
    CFuzzInput  input(pData, cbData);
    bool        bDoubleByte = input.Byte() & 1;
    std::string wanted      = input.Text();
    std::string name        = input.Text();

    const int bSame = IsSameModuleName(wanted.c_str(), name.c_str());
    if (bSame != IsSameModuleName(name.c_str(), wanted.c_str()) || bSame != (Lower(wanted) == Lower(name)))
        abort();

    // The base name lies inside the path, right after a backslash.
    const char* szAfter = FindAfterLastBackslash(name.c_str(), bDoubleByte ? ShiftJisLead : NoLead);
    if (szAfter != nullptr && (szAfter <= name.c_str() || szAfter > name.c_str() + name.size() || szAfter[-1] != '\\'))
        abort();
    // In a single-byte code page it is the plain last backslash.
    if (!bDoubleByte)
    {
        const char* szLast = strrchr(name.c_str(), '\\');
        if (szAfter != (szLast != nullptr ? szLast + 1 : nullptr))
            abort();
    }
    return 0;
}
