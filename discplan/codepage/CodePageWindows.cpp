// The code page through Windows's own conversion functions.
#include <windows.h>

#include "discplan/codepage/CodePage.h"
#include "discplan/codepage/CodePagePlatform.h"

namespace {

std::wstring Wide(const std::u32string& text)
{
    std::wstring wide;
    for (char32_t point : text)
    {
        if (point >= 0x10000)
        {
            point -= 0x10000;
            wide += static_cast<wchar_t>(0xD800 + (point >> 10));
            wide += static_cast<wchar_t>(0xDC00 + (point & 0x3FF));
        }
        else
            wide += static_cast<wchar_t>(point);
    }
    return wide;
}

std::u32string FromWide(const wchar_t* pwch, size_t cch)
{
    std::u32string text;
    for (size_t i = 0; i < cch; ++i)
    {
        char32_t point = pwch[i];
        if (point >= 0xD800 && point <= 0xDBFF && i + 1 < cch && pwch[i + 1] >= 0xDC00 && pwch[i + 1] <= 0xDFFF)
            point = 0x10000 + ((point - 0xD800) << 10) + (pwch[++i] - 0xDC00);
        else if (point >= 0xD800 && point <= 0xDFFF)
            point = 0xFFFD;
        text += point;
    }
    return text;
}

} // namespace

struct CCodePage::Tables
{
};

CCodePage::~CCodePage() {}

int CCodePage::Open()
{
    if (!IsValidCodePage(m_nCodePage))
        return 0;
    for (unsigned ch = 0; ch < 256; ++ch)
        m_rgbLead[ch] = IsDBCSLeadByteEx(m_nCodePage, static_cast<BYTE>(ch)) ? 1 : 0;
    return 1;
}

std::string CCodePage::Decode(const std::string& bytes) const
{
    if (bytes.empty())
        return std::string();
    const int    cch = MultiByteToWideChar(m_nCodePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring wide(cch > 0 ? cch : 0, L'\0');
    if (cch > 0)
        MultiByteToWideChar(m_nCodePage, 0, bytes.data(), static_cast<int>(bytes.size()), &wide[0], cch);
    return Utf8(FromWide(wide.data(), wide.size()));
}

int CCodePage::Encode(const std::string& text, std::string* pBytes) const
{
    pBytes->clear();
    const std::wstring wide = Wide(CodePoints(text));
    if (wide.empty())
        return 1;
    // UTF-8 takes neither the flag nor the default character's report, and
    // writes every character.
    const DWORD dwFlags = m_nCodePage == UTF8_CODE_PAGE ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL        bDefaultUsed = FALSE;
    const int   cb = WideCharToMultiByte(m_nCodePage, dwFlags, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                         nullptr, nullptr);
    if (cb <= 0)
        return 0;
    pBytes->assign(cb, '\0');
    WideCharToMultiByte(m_nCodePage, dwFlags, wide.data(), static_cast<int>(wide.size()), &(*pBytes)[0], cb, nullptr,
                        m_nCodePage == UTF8_CODE_PAGE ? nullptr : &bDefaultUsed);
    return bDefaultUsed ? 0 : 1;
}

char32_t PlatformUpperCase(char32_t ch)
{
    // The table Windows's file systems compare names with.
    typedef WCHAR(WINAPI * PFN_UPCASE)(WCHAR);
    static const PFN_UPCASE s_pfnUpcase = reinterpret_cast<PFN_UPCASE>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlUpcaseUnicodeChar")));
    if (s_pfnUpcase != nullptr)
        return s_pfnUpcase(static_cast<WCHAR>(ch));
    WCHAR wch = static_cast<WCHAR>(ch);
    CharUpperBuffW(&wch, 1);
    return wch;
}
