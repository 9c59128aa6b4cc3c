#include "discplan/findings/MistakeHints.h"

#include <algorithm>
#include <vector>

namespace {

bool IsContinuation(char ch) { return (static_cast<unsigned char>(ch) & 0xC0) == 0x80; }

// Letters to turn one text into the other, where two neighbours swapped
// count as one (the restricted Damerau-Levenshtein distance).
size_t EditDistance(const std::u32string& a, const std::u32string& b)
{
    std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
    for (size_t i = 0; i <= a.size(); ++i)
        d[i][0] = i;
    for (size_t j = 0; j <= b.size(); ++j)
        d[0][j] = j;
    for (size_t i = 1; i <= a.size(); ++i)
    {
        for (size_t j = 1; j <= b.size(); ++j)
        {
            const size_t nChange = a[i - 1] == b[j - 1] ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + nChange});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    }
    return d[a.size()][b.size()];
}

} // namespace

std::string RefusedConversion(const std::string& templ)
{
    // The launcher's own rule, read over the template's Unicode text: "%" is
    // never the second byte of a double-byte character, so it stands where
    // the launcher met it in the code page.
    int nStrings = 0;
    for (size_t i = 0; i < templ.size(); ++i)
    {
        if (templ[i] != '%')
            continue;
        if (i + 1 == templ.size())
            return "%";
        if (templ[i + 1] == '%' || (templ[i + 1] == 's' && ++nStrings <= 2))
        {
            ++i;
            continue;
        }
        // What printf would read as one conversion: flags, width, precision
        // and size, then its character (a whole one, when not ASCII).
        size_t nEnd = i + 1;
        while (nEnd < templ.size() && std::string("0123456789.-+ #'$*hlLqjztI").find(templ[nEnd]) != std::string::npos)
            ++nEnd;
        if (nEnd < templ.size())
            ++nEnd;
        while (nEnd < templ.size() && IsContinuation(templ[nEnd]))
            ++nEnd;
        return templ.substr(i, nEnd - i);
    }
    return std::string();
}

int IsNearName(const std::u32string& name, const std::u32string& known)
{
    if (name == known)
        return 0;
    const std::u32string& shorter = name.size() < known.size() ? name : known;
    const std::u32string& longer  = name.size() < known.size() ? known : name;
    if (shorter.size() >= 5 && longer.compare(0, shorter.size(), shorter) == 0)
        return 1;
    // Five letters at least: two changes in fewer make another word.
    return name.size() >= 5 && EditDistance(name, known) <= 2;
}
