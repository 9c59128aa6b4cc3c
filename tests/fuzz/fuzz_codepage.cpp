// Bytes of a disc (a Setup.ini, a command line) read in any ANSI code page
// (UTF-8 among them), as a file of the code page or after a byte order mark:
// whatever the bytes, the text that comes out, which discplan prints as
// JSON, is valid UTF-8, and a single-byte code page reads every byte back as
// it was.
#include <stdlib.h>

#include "FuzzInput.h"
#include "discplan/codepage/CodePage.h"
#include "discplan/input/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t cbData)
{
    CFuzzInput                   input(pData, cbData);
    const std::vector<unsigned>& codePages = AnsiCodePages();
    const CCodePage*             pCodePage = CCodePage::Get(codePages[input.Byte() % codePages.size()]);
    const int                    bUnicode  = input.Byte() & 1;
    if (pCodePage == nullptr)
        abort();
    const std::string bytes(reinterpret_cast<const char*>(pData), cbData);

    const std::string text = pCodePage->Decode(bytes);
    if (!IsUtf8(text))
        abort();
    std::string written;
    pCodePage->Encode(text, &written);
    // UTF-8 has no lead bytes of the double-byte kind, yet a byte out of its
    // sequences reads as U+FFFD: only the single-byte code pages read back.
    bool bSingleByte = pCodePage->Number() != UTF8_CODE_PAGE;
    for (unsigned ch = 0; ch < 256; ++ch)
        bSingleByte = bSingleByte && !pCodePage->IsLeadByte(static_cast<unsigned char>(ch));
    if (bSingleByte && written != bytes)
        abort();
    if (!IsUtf8(pCodePage->Decode(written)) || !IsUtf8(Utf8(FoldCase(text))))
        abort();

    CIniFile ini;
    ini.Load(bytes, *pCodePage, bUnicode);
    for (const CIniFile::Entry& entry : ini.Entries())
    {
        if (!IsUtf8(entry.section) || !IsUtf8(entry.key) || !IsUtf8(entry.value))
            abort();
    }
    std::string value;
    if (ini.Find("Settings", "SetupPath", &value) && !IsUtf8(pCodePage->Decode(value)))
        abort();
    return 0;
}
