// cpquery: every byte, every lead/trail pair and every writable character of
// ANSI code pages, converted by discplan's code page or, with --windows (the
// Windows build), by MultiByteToWideChar, IsDBCSLeadByteEx and
// WideCharToMultiByte themselves, so that a test can hold the two against
// each other. --case adds the upper case of every character.
//   cpquery [--windows] [--case] CODEPAGE...
// Lines: "lead XX", "byte XX: U+....", "pair XXYY: U+....[ U+....]",
// "write U+....: XX[ XX]" (only characters written as they are),
// "upper U+....: U+...." (only characters with an upper case of their own).
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "discplan/codepage/CodePage.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

bool g_bWindows = false;

void PrintText(const std::u32string& text)
{
    for (char32_t point : text)
        printf(" %04X", static_cast<unsigned>(point));
    putchar('\n');
}

std::u32string Decoded(const CCodePage& codePage, const std::string& bytes)
{
#ifdef _WIN32
    if (g_bWindows)
    {
        wchar_t   rgwch[8];
        const int cch = MultiByteToWideChar(codePage.Number(), 0, bytes.data(), static_cast<int>(bytes.size()), rgwch, 8);
        std::u32string text;
        for (int i = 0; i < cch; ++i)
            text += rgwch[i];
        return text;
    }
#endif
    return CodePoints(codePage.Decode(bytes));
}

int IsLead(const CCodePage& codePage, unsigned ch)
{
#ifdef _WIN32
    if (g_bWindows)
        return IsDBCSLeadByteEx(codePage.Number(), static_cast<BYTE>(ch)) ? 1 : 0;
#endif
    return codePage.IsLeadByte(static_cast<unsigned char>(ch));
}

// The bytes of one character, or empty when the code page cannot write it.
std::string Written(const CCodePage& codePage, char32_t ch)
{
    std::string bytes;
#ifdef _WIN32
    if (g_bWindows)
    {
        const wchar_t wch          = static_cast<wchar_t>(ch);
        char          rgb[8];
        BOOL          bDefaultUsed = FALSE;
        const int     cb = WideCharToMultiByte(codePage.Number(), WC_NO_BEST_FIT_CHARS, &wch, 1, rgb, 8, nullptr, &bDefaultUsed);
        return cb > 0 && !bDefaultUsed ? std::string(rgb, cb) : std::string();
    }
#endif
    return codePage.Encode(Utf8(std::u32string(1, ch)), &bytes) ? bytes : std::string();
}

char32_t Upper(char32_t ch)
{
#ifdef _WIN32
    if (g_bWindows)
    {
        typedef WCHAR(WINAPI * PFN_UPCASE)(WCHAR);
        static const PFN_UPCASE s_pfnUpcase = reinterpret_cast<PFN_UPCASE>(
            reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlUpcaseUnicodeChar")));
        return s_pfnUpcase(static_cast<WCHAR>(ch));
    }
#endif
    return FoldCase(Utf8(std::u32string(1, ch)))[0];
}

void Query(const CCodePage& codePage)
{
    printf("codepage %u\n", codePage.Number());
    for (unsigned ch = 0; ch < 256; ++ch)
    {
        if (IsLead(codePage, ch))
            printf("lead %02X\n", ch);
        printf("byte %02X:", ch);
        PrintText(Decoded(codePage, std::string(1, static_cast<char>(ch))));
    }
    for (unsigned nLead = 0; nLead < 256; ++nLead)
    {
        for (unsigned nTrail = 0; nTrail < 256 && IsLead(codePage, nLead); ++nTrail)
        {
            printf("pair %02X%02X:", nLead, nTrail);
            PrintText(Decoded(codePage, {static_cast<char>(nLead), static_cast<char>(nTrail)}));
        }
    }
    for (char32_t ch = 0; ch < 0x10000; ++ch)
    {
        if (ch >= 0xD800 && ch <= 0xDFFF)
            continue;
        const std::string bytes = Written(codePage, ch);
        if (bytes.empty())
            continue;
        printf("write %04X:", static_cast<unsigned>(ch));
        for (unsigned char b : bytes)
            printf(" %02X", b);
        putchar('\n');
    }
}

} // namespace

int main(int argc, char** argv)
{
    bool bCase = false;
    int  nArg  = 1;
    for (; nArg < argc && argv[nArg][0] == '-'; ++nArg)
    {
        if (strcmp(argv[nArg], "--windows") == 0)
            g_bWindows = true;
        else if (strcmp(argv[nArg], "--case") == 0)
            bCase = true;
        else
            break;
    }
#ifndef _WIN32
    if (g_bWindows)
    {
        fputs("cpquery: --windows needs the Windows build\n", stderr);
        return 2;
    }
#endif
    if (nArg == argc && !bCase)
    {
        fputs("usage: cpquery [--windows] [--case] CODEPAGE...\n", stderr);
        return 2;
    }
    for (; nArg < argc; ++nArg)
    {
        const CCodePage* pCodePage = CCodePage::Get(static_cast<unsigned>(atoi(argv[nArg])));
        if (pCodePage == nullptr)
        {
            fprintf(stderr, "cpquery: cannot convert code page %s\n", argv[nArg]);
            return 2;
        }
        Query(*pCodePage);
    }
    if (bCase)
    {
        for (char32_t ch = 0; ch < 0x10000; ++ch)
        {
            const char32_t upper = Upper(ch);
            if (upper != ch && !(ch >= 0xD800 && ch <= 0xDFFF))
                printf("upper %04X: %04X\n", static_cast<unsigned>(ch), static_cast<unsigned>(upper));
        }
    }
    return 0;
}
