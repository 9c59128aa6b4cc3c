// The conversion to the ANSI code page on the code pages that report no loss
// (UTF-8 as Windows converts it, UTF-7 as Wine and Windows do), beside Wine's
// own UTF-8 and a code page that reports loss.
#include <gtest/gtest.h>

#include <string>

#include "services/AnsiText.h"
#include "tests/tools/Utf8AsWindows.h"

namespace {

const UINT CP_WESTERN = 1252;

struct ConversionCase
{
    const char*    szWhat;
    std::wstring   text;
    AnsiConversion expected;
    const char*    szBytes; // what an exact conversion writes; null: not looked at
};

// Converts with the converter given, and the default converter again after.
class CConverterOverride
{
public:
    explicit CConverterOverride(const AnsiConverter& converter) : m_previous(SetAnsiConverter(converter)) {}
    ~CConverterOverride() { SetAnsiConverter(m_previous); }

private:
    AnsiConverter m_previous;
};

// 86 characters of three bytes each fill a buffer of MAX_PATH bytes with
// their terminator; one more does not fit.
const std::wstring CJK_FITS(86, L'\x65E5');
const std::wstring CJK_TOO_LONG(87, L'\x65E5');
const std::string  CJK_FITS_UTF8 = [] {
    std::string bytes;
    for (int i = 0; i < 86; ++i)
        bytes += "\xE6\x97\xA5";
    return bytes;
}();

void ExpectConversions(const AnsiConverter& converter, const ConversionCase* pCases, size_t nCases)
{
    CConverterOverride override(converter);
    for (size_t i = 0; i < nCases; ++i)
    {
        const ConversionCase& c = pCases[i];
        SCOPED_TRACE(c.szWhat);
        char szText[MAX_PATH];
        EXPECT_EQ(c.expected, ConvertToAnsi(c.text.c_str(), szText, MAX_PATH));
        if (c.expected == ANSI_EXACT && c.szBytes != nullptr)
            EXPECT_EQ(std::string(c.szBytes), std::string(szText));
    }
}

TEST(ConvertToAnsiTest, UnicodeCodePagesAreJudgedByTheTextConvertedBack)
{
    // Windows refuses the loss report in UTF-8: a folder past 259 bytes there
    // must still say so, and a short one must be exact.
    const ConversionCase utf8[] = {
        {"ASCII", L"C:\\Disc", ANSI_EXACT, "C:\\Disc"},
        {"86 CJK characters", CJK_FITS, ANSI_EXACT, CJK_FITS_UTF8.c_str()},
        {"87 CJK characters", CJK_TOO_LONG, ANSI_TOO_LONG, nullptr},
        {"a lone surrogate, written as U+FFFD", L"a\xD800z", ANSI_LOSSY, nullptr},
        {"a character outside the BMP", L"\xD83D\xDCBF disc", ANSI_EXACT, "\xF0\x9F\x92\xBF disc"},
    };
    {
        SCOPED_TRACE("UTF-8 as Windows converts it");
        ExpectConversions({CP_UTF8, WideCharToUtf8AsWindows}, utf8, sizeof(utf8) / sizeof(utf8[0]));
    }
    {
        SCOPED_TRACE("Wine's UTF-8, which takes the loss report");
        ExpectConversions({CP_UTF8, nullptr}, utf8, sizeof(utf8) / sizeof(utf8[0]));
    }

    // Wine refuses the loss report in UTF-7 as Windows does. UTF-7 writes
    // every UTF-16 unit, a lone surrogate too, in 16 bits of base64.
    BOOL bDefaultUsed = FALSE;
    char szProbe[8];
    EXPECT_EQ(0, WideCharToMultiByte(CP_UTF7, 0, L"a", -1, szProbe, sizeof(szProbe), nullptr, &bDefaultUsed));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    const ConversionCase utf7[] = {
        {"ASCII", L"Disc", ANSI_EXACT, "Disc"},
        {"CJK", L"D:\\\x65E5\x672C", ANSI_EXACT, nullptr},
        {"a lone surrogate", L"a\xD800z", ANSI_EXACT, nullptr},
        {"98 CJK characters, past 259 bytes", std::wstring(98, L'\x65E5'), ANSI_TOO_LONG, nullptr},
    };
    SCOPED_TRACE("UTF-7");
    ExpectConversions({CP_UTF7, nullptr}, utf7, sizeof(utf7) / sizeof(utf7[0]));
}

TEST(ConvertToAnsiTest, CodePagesThatReportLossKeepTheirAnswers)
{
    const ConversionCase western[] = {
        {"ASCII", L"C:\\Disc", ANSI_EXACT, "C:\\Disc"},
        {"e acute", L"Caf\xE9", ANSI_EXACT, "Caf\xE9"},
        {"L with stroke, best fit L", L"\x141\xF3" L"d\x17A", ANSI_LOSSY, nullptr},
        {"CJK", L"\x65E5", ANSI_LOSSY, nullptr},
        {"259 letters and the terminator", std::wstring(259, L'a'), ANSI_EXACT, nullptr},
        {"260 letters", std::wstring(260, L'a'), ANSI_TOO_LONG, nullptr},
    };
    ExpectConversions({CP_WESTERN, nullptr}, western, sizeof(western) / sizeof(western[0]));
}

} // namespace
