// Text as a Windows system holds it. Setup.exe is an ANSI program: every "A"
// function it calls takes and gives bytes of the system's ANSI code page,
// while the names on a disc are Unicode. discplan converts between the two
// with the platform's own conversion (iconv on this machine,
// MultiByteToWideChar and WideCharToMultiByte in the Windows build), and
// compares names without regard to case as Windows does.
#pragma once

#include <string>
#include <vector>

// The ANSI code pages a Windows system can have, in order.
const std::vector<unsigned>& AnsiCodePages();

// UTF-8 as a system's ANSI and OEM code page.
const unsigned UTF8_CODE_PAGE = 65001;

// The ANSI code page Windows gives the system of one of the launcher's
// language codes: 1252 for "enu", "deu", ...; 1250 "plk", 932 "jpn", 936
// "chs", 950 "cht", 949 "kor".
unsigned CodePageOfLanguage(const std::string& code);

// The OEM code pages of Windows's systems, in order: NT's CD file system
// reads an ISO 9660 name's bytes through the system's OEM code page.
const std::vector<unsigned>& OemCodePages();

// The OEM code page of a system whose ANSI code page is nAnsi and whose
// language is the launcher's code (the system's default OEM code page: 437
// for English in the United States, 850 for the other languages of 1252,
// 852 for 1250, 866 for 1251, ...); 0 for an unknown nAnsi.
unsigned OemCodePageOf(unsigned nAnsi, const std::string& languageCode);

class CCodePage
{
public:
    // The code page, made ready once per process; null when it is no ANSI
    // or OEM code page of Windows or this build cannot convert it.
    static const CCodePage* Get(unsigned nCodePage);

    unsigned Number() const { return m_nCodePage; }

    // 1 when ch starts a double-byte character (IsDBCSLeadByteEx).
    int IsLeadByte(unsigned char ch) const { return m_rgbLead[ch]; }

    // The Unicode text (UTF-8) of bytes of this code page, as
    // MultiByteToWideChar gives it: every byte stands for a character (a
    // broken double-byte character for the code page's default one), so the
    // result is always valid UTF-8.
    std::string Decode(const std::string& bytes) const;

    // The bytes of this code page for UTF-8 text, as WideCharToMultiByte
    // gives them with WC_NO_BEST_FIT_CHARS: a character the code page cannot
    // write becomes "?". 1 when every character was written as it is.
    int Encode(const std::string& text, std::string* pBytes) const;

    CCodePage(const CCodePage&)            = delete;
    CCodePage& operator=(const CCodePage&) = delete;
    ~CCodePage();

private:
    explicit CCodePage(unsigned nCodePage) : m_nCodePage(nCodePage) {}
    int Open();

    struct Tables; // the conversion as this build holds it
    unsigned      m_nCodePage;
    unsigned char m_rgbLead[256] = {};
    Tables*       m_pTables = nullptr;
};

// UTF-8 text as code points and back. A byte that is not part of a
// well-formed sequence reads as U+FFFD.
std::u32string CodePoints(const std::string& text);
std::string    Utf8(const std::u32string& text);
// 1 when bytes are well-formed UTF-8.
int IsUtf8(const std::string& bytes);
// 1 when text has a character outside ASCII.
int HasNonAscii(const std::string& text);

// Text in the form Windows compares file names in: every character through
// the system's upper-case table (which leaves a character whose upper case
// does not lead back to it, such as "ı" or "ſ", as it is).
std::u32string FoldCase(const std::string& text);
// 1 when two names are the same name for Windows.
int SameName(const std::string& first, const std::string& second);
