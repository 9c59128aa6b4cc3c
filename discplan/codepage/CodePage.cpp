#include "discplan/codepage/CodePage.h"

#include <map>
#include <memory>

#include "discplan/codepage/CodePagePlatform.h"

const std::vector<unsigned>& AnsiCodePages()
{
    // 65001: Windows 10 1903 and later can make UTF-8 the ANSI code page
    // ("Beta: Use Unicode UTF-8 for worldwide language support").
    static const std::vector<unsigned> codePages = {874,  932,  936,  949,  950,  1250, 1251, 1252,
                                                    1253, 1254, 1255, 1256, 1257, 1258, 65001};
    return codePages;
}

const std::vector<unsigned>& OemCodePages()
{
    static const std::vector<unsigned> codePages = {437, 720, 737, 775, 850, 852, 857, 862, 866,
                                                    874, 932, 936, 949, 950, 1258, 65001};
    return codePages;
}

unsigned OemCodePageOf(unsigned nAnsi, const std::string& languageCode)
{
    // The default OEM code page of each system locale: the United States
    // kept the IBM PC's 437, the rest of Western Europe took 850.
    static const struct
    {
        unsigned nAnsi, nOem;
    } pairs[] = {{1250, 852}, {1251, 866}, {1253, 737}, {1254, 857}, {1255, 862}, {1256, 720},
                 {1257, 775}, {1258, 1258}, {874, 874},  {932, 932},  {936, 936},  {949, 949},  {950, 950}};
    if (nAnsi == 1252)
        return languageCode == "enu" ? 437 : 850;
    // The UTF-8 setting makes UTF-8 the OEM code page as well.
    if (nAnsi == UTF8_CODE_PAGE)
        return UTF8_CODE_PAGE;
    for (const auto& pair : pairs)
    {
        if (pair.nAnsi == nAnsi)
            return pair.nOem;
    }
    return 0;
}

unsigned CodePageOfLanguage(const std::string& code)
{
    if (code == "plk")
        return 1250;
    if (code == "jpn")
        return 932;
    if (code == "chs")
        return 936;
    if (code == "cht")
        return 950;
    if (code == "kor")
        return 949;
    return 1252;
}

const CCodePage* CCodePage::Get(unsigned nCodePage)
{
    // Made once: a double-byte code page's conversion is built from every
    // byte pair.
    static std::map<unsigned, std::unique_ptr<CCodePage>> s_opened;
    auto found = s_opened.find(nCodePage);
    if (found != s_opened.end())
        return found->second.get();
    std::unique_ptr<CCodePage> pCodePage;
    for (const std::vector<unsigned>* pKnown : {&AnsiCodePages(), &OemCodePages()})
    {
        for (unsigned nKnown : *pKnown)
        {
            if (nKnown == nCodePage && !pCodePage)
            {
                pCodePage.reset(new CCodePage(nCodePage));
                if (!pCodePage->Open())
                    pCodePage.reset();
            }
        }
    }
    return (s_opened[nCodePage] = std::move(pCodePage)).get();
}

// ---------------------------------------------------------------- UTF-8

std::u32string CodePoints(const std::string& text)
{
    std::u32string points;
    const size_t   cb = text.size();
    for (size_t i = 0; i < cb;)
    {
        const unsigned char ch = static_cast<unsigned char>(text[i]);
        size_t              nMore;
        char32_t            point;
        char32_t            minimum;
        if (ch < 0x80)
        {
            points += ch;
            ++i;
            continue;
        }
        if (ch >= 0xC2 && ch <= 0xDF)
            nMore = 1, point = ch & 0x1F, minimum = 0x80;
        else if (ch >= 0xE0 && ch <= 0xEF)
            nMore = 2, point = ch & 0x0F, minimum = 0x800;
        else if (ch >= 0xF0 && ch <= 0xF4)
            nMore = 3, point = ch & 0x07, minimum = 0x10000;
        else
        {
            points += U'\xFFFD';
            ++i;
            continue;
        }
        size_t n = 1;
        while (n <= nMore && i + n < cb && (static_cast<unsigned char>(text[i + n]) & 0xC0) == 0x80)
            point = (point << 6) | (static_cast<unsigned char>(text[i + n++]) & 0x3F);
        if (n != nMore + 1 || point < minimum || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF))
        {
            points += U'\xFFFD';
            ++i;
            continue;
        }
        points += point;
        i += n;
    }
    return points;
}

std::string Utf8(const std::u32string& text)
{
    std::string out;
    for (char32_t point : text)
    {
        if (point >= 0xD800 && (point <= 0xDFFF || point > 0x10FFFF))
            point = 0xFFFD;
        if (point < 0x80)
            out += static_cast<char>(point);
        else if (point < 0x800)
        {
            out += static_cast<char>(0xC0 | (point >> 6));
            out += static_cast<char>(0x80 | (point & 0x3F));
        }
        else if (point < 0x10000)
        {
            out += static_cast<char>(0xE0 | (point >> 12));
            out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (point & 0x3F));
        }
        else
        {
            out += static_cast<char>(0xF0 | (point >> 18));
            out += static_cast<char>(0x80 | ((point >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (point & 0x3F));
        }
    }
    return out;
}

int IsUtf8(const std::string& bytes) { return Utf8(CodePoints(bytes)) == bytes; }

int HasNonAscii(const std::string& text)
{
    for (unsigned char ch : text)
    {
        if (ch >= 0x80)
            return 1;
    }
    return 0;
}

// ---------------------------------------------------------------- names

std::u32string FoldCase(const std::string& text)
{
    std::u32string points = CodePoints(text);
    // Windows's upper-case table has one entry per UTF-16 unit: characters
    // beyond the Basic Multilingual Plane keep their case.
    for (char32_t& point : points)
    {
        if (point < 0x10000)
            point = PlatformUpperCase(point);
    }
    return points;
}

int SameName(const std::string& first, const std::string& second)
{
    return first == second || FoldCase(first) == FoldCase(second);
}
