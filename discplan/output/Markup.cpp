#include "discplan/output/Markup.h"

#include "discplan/codepage/CodePage.h"

std::string MarkupText(const std::string& text)
{
    // CodePoints reads each byte that begins no valid sequence as U+FFFD.
    std::u32string points = CodePoints(text);
    for (char32_t& point : points)
    {
        if ((point < 0x20 && point != U'\t' && point != U'\n' && point != U'\r') || point == 0xFFFE || point == 0xFFFF)
            point = 0xFFFD;
    }
    return Utf8(points);
}

std::string HtmlEscape(const std::string& text)
{
    const std::string clean = MarkupText(text);
    std::string       out;
    out.reserve(clean.size());
    for (char ch : clean)
    {
        const char* szReference = ch == '&'    ? "&amp;"
                                  : ch == '<'  ? "&lt;"
                                  : ch == '>'  ? "&gt;"
                                  : ch == '"'  ? "&quot;"
                                  : ch == '\'' ? "&#39;"
                                               : nullptr;
        if (szReference != nullptr)
            out += szReference;
        else
            out += ch;
    }
    return out;
}
