#include "discplan/output/Markup.h"

namespace {

const char REPLACEMENT[] = "\xEF\xBF\xBD"; // U+FFFD

// The length of the valid UTF-8 sequence at text[i], 0 when the byte there
// begins none. Bounds of the second byte as Unicode's table of well-formed
// sequences gives them.
size_t SequenceLength(const std::string& text, size_t i)
{
    const unsigned char b = static_cast<unsigned char>(text[i]);
    size_t              cb = 0;
    unsigned char       lo = 0x80, hi = 0xBF;
    if (b < 0x80)
        return 1;
    if (b >= 0xC2 && b <= 0xDF)
        cb = 2;
    else if (b >= 0xE0 && b <= 0xEF)
    {
        cb = 3;
        lo = b == 0xE0 ? 0xA0 : 0x80;
        hi = b == 0xED ? 0x9F : 0xBF;
    }
    else if (b >= 0xF0 && b <= 0xF4)
    {
        cb = 4;
        lo = b == 0xF0 ? 0x90 : 0x80;
        hi = b == 0xF4 ? 0x8F : 0xBF;
    }
    else
        return 0;
    if (cb > text.size() - i)
        return 0;
    for (size_t k = 1; k < cb; ++k)
    {
        const unsigned char c = static_cast<unsigned char>(text[i + k]);
        if (c < (k == 1 ? lo : 0x80) || c > (k == 1 ? hi : 0xBF))
            return 0;
    }
    return cb;
}

} // namespace

std::string MarkupText(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();)
    {
        const size_t        cb = SequenceLength(text, i);
        const unsigned char b  = static_cast<unsigned char>(text[i]);
        if (cb == 0 || (b < 0x20 && b != '\t' && b != '\n' && b != '\r') ||
            (cb == 3 && text.compare(i, 2, "\xEF\xBF") == 0 && static_cast<unsigned char>(text[i + 2]) >= 0xBE))
        {
            out += REPLACEMENT;
            i += cb == 0 ? 1 : cb;
            continue;
        }
        out.append(text, i, cb);
        i += cb;
    }
    return out;
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
