// The keyword search over a command line of any length and code page, and the
// program name that the entry point skips before it.
#include <stdlib.h>

#include "FuzzInput.h"
#include "launcher/Switches.h"
#include "runtime/CommandLine.h"

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
    // The arguments are a tail of the whole command line (ASan catches a read
    // past its end) and never begin with a blank.
    const char* szArguments = SkipProgramName(commandLine.c_str());
    if (szArguments < commandLine.c_str() || szArguments > commandLine.c_str() + commandLine.size() ||
        (*szArguments != '\0' && static_cast<unsigned char>(*szArguments) <= ' '))
        abort();
    return 0;
}
