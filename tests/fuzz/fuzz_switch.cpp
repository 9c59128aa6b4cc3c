// The keyword search over a command line of any length and code page.
#include <stdlib.h>

#include "FuzzInput.h"
#include "launcher/Switches.h"

namespace {

int ShiftJisLead(unsigned char ch) { return (ch >= 0x81 && ch <= 0x9F) || (ch >= 0xE0 && ch <= 0xFC); }
int NoLead(unsigned char) { return 0; }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t cbData)
{
    CFuzzInput  input(pData, cbData);
    bool        bDoubleByte = input.Byte() & 1;
    std::string keyword     = input.Text();
    std::string commandLine = input.Text();
    int bFound = FindSwitch(commandLine.c_str(), keyword.c_str(), bDoubleByte ? ShiftJisLead : NoLead);
    // In a single-byte code page the search is a plain substring search over
    // the lower-cased first 259 characters.
    if (!bDoubleByte)
    {
        std::string lower = commandLine.substr(0, 259);
        for (char& ch : lower)
            if (ch >= 'A' && ch <= 'Z')
                ch = static_cast<char>(ch - 'A' + 'a');
        if (bFound != (lower.find(keyword) != std::string::npos))
            abort();
    }
    return 0;
}
