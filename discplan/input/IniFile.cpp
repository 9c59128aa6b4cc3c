#include "discplan/input/IniFile.h"

#include "discplan/codepage/CodePage.h"

namespace {

// The profile functions' blanks: ASCII white space and ^Z, the DOS end of
// file found on old discs. Neither a no-break space nor an ideographic one.
bool IsBlank(char32_t ch) { return ch == ' ' || (ch >= '\t' && ch <= '\r') || ch == 0x1A; }

std::u32string Trim(const std::u32string& text)
{
    size_t nStart = 0;
    size_t nEnd   = text.size();
    while (nStart < nEnd && IsBlank(text[nStart]))
        ++nStart;
    while (nEnd > nStart && IsBlank(text[nEnd - 1]))
        --nEnd;
    return text.substr(nStart, nEnd - nStart);
}

// One pair of matching quotes around the whole value goes, as the Windows
// function removes it.
std::u32string Unquote(const std::u32string& value)
{
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value[value.size() - 1] == value[0])
        return value.substr(1, value.size() - 2);
    return value;
}

// UTF-16 units in the given byte order, surrogate pairs joined (an odd last
// byte is no unit).
std::u32string Utf16(const std::string& bytes, bool bBigEndian)
{
    std::u16string units;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
    {
        const unsigned char first  = static_cast<unsigned char>(bytes[i]);
        const unsigned char second = static_cast<unsigned char>(bytes[i + 1]);
        units += static_cast<char16_t>(bBigEndian ? (first << 8) | second : (second << 8) | first);
    }
    std::u32string text;
    for (size_t i = 0; i < units.size(); ++i)
    {
        char32_t point = units[i];
        if (point >= 0xD800 && point <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF)
            point = 0x10000 + ((point - 0xD800) << 10) + (units[++i] - 0xDC00);
        else if (point >= 0xD800 && point <= 0xDFFF)
            point = 0xFFFD;
        text += point;
    }
    return text;
}

// Sections and keys are compared without regard to the case of ASCII
// letters only: "[ÜBER]" is not "[über]" to the profile functions.
std::u32string FoldAscii(std::u32string text)
{
    for (char32_t& ch : text)
        ch = ch >= 'a' && ch <= 'z' ? ch - 'a' + 'A' : ch;
    return text;
}

// Names and values end at a zero character, as the Windows function's
// strings do.
std::u32string UpToZero(const std::u32string& text) { return text.substr(0, text.find(U'\0')); }

} // namespace

void CIniFile::Load(const std::string& bytes, const CCodePage& codePage, int bUnicodeFiles)
{
    m_pCodePage = &codePage;
    m_marked    = INI_ANSI;
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        m_marked = INI_UTF8_MARK;
    else if (bytes.compare(0, 2, "\xFF\xFE") == 0)
        m_marked = INI_UTF16LE;
    else if (bytes.compare(0, 2, "\xFE\xFF") == 0)
        m_marked = INI_UTF16BE;
    std::u32string text;
    if (!bUnicodeFiles || m_marked == INI_ANSI)
        text = CodePoints(codePage.Decode(bytes));
    else if (m_marked == INI_UTF8_MARK)
        text = CodePoints(bytes.substr(3));
    else
        text = Utf16(bytes.substr(2), m_marked == INI_UTF16BE);

    m_sections.clear();
    m_entries.clear();
    // Keys before the first section belong to a section without a name,
    // which no lookup finds.
    m_sections.push_back(Section());
    size_t nPos = 0;
    while (nPos <= text.size())
    {
        size_t nEnd = text.find(U'\n', nPos);
        if (nEnd == std::u32string::npos)
            nEnd = text.size();
        const std::u32string line = Trim(text.substr(nPos, nEnd - nPos));
        nPos                      = nEnd + 1;
        if (line.empty())
            continue;
        if (line[0] == '[')
        {
            // The name runs to the last ']' of the line, without blanks around it.
            const size_t nClose = line.rfind(U']');
            if (nClose != std::u32string::npos)
            {
                m_sections.push_back(Section());
                m_sections.back().name = Trim(line.substr(1, nClose - 1));
                continue;
            }
        }
        // A line without '=' is a key without a value; a ';' line is a key
        // that no caller asks for, which is all a comment is to Windows.
        Section&     section = m_sections.back();
        const size_t nEqual  = line.find(U'=');
        if (nEqual == std::u32string::npos)
            section.keys.push_back({line, std::u32string(), false});
        else
        {
            section.keys.push_back({Trim(line.substr(0, nEqual)), Unquote(Trim(line.substr(nEqual + 1))), true});
            m_entries.push_back({Utf8(section.name), Utf8(section.keys.back().name), Utf8(section.keys.back().value)});
        }
    }
}

int CIniFile::Find(const char* szSection, const char* szKey, std::string* pValue, int* pbExact) const
{
    std::string text;
    if (m_pCodePage == nullptr || !FindText(m_pCodePage->Decode(szSection), m_pCodePage->Decode(szKey), &text))
        return 0;
    const int bExact = m_pCodePage->Encode(text, pValue);
    if (pbExact != nullptr)
        *pbExact = bExact;
    return 1;
}

const CIniFile::Section* CIniFile::FindSection(const std::string& section) const
{
    // The caller's names lose their blanks too; only the first section of
    // the name counts.
    const std::u32string wanted = FoldAscii(Trim(CodePoints(section)));
    for (const Section& entry : m_sections)
    {
        const std::u32string name = UpToZero(entry.name);
        if (!name.empty() && FoldAscii(name) == wanted)
            return &entry;
    }
    return nullptr;
}

int CIniFile::FindText(const std::string& section, const std::string& key, std::string* pText) const
{
    const Section* pSection = FindSection(section);
    if (pSection == nullptr)
        return 0;
    const std::u32string wantedKey = FoldAscii(Trim(CodePoints(key)));
    for (const Key& candidate : pSection->keys)
    {
        if (FoldAscii(UpToZero(candidate.name)) != wantedKey)
            continue;
        // A key without '=' has no value: the caller's default comes back.
        if (!candidate.bValue)
            return 0;
        *pText = Utf8(UpToZero(candidate.value));
        return 1;
    }
    return 0;
}

int CIniFile::Keys(const std::string& section, std::vector<std::string>* pKeys) const
{
    pKeys->clear();
    const Section* pSection = FindSection(section);
    if (pSection == nullptr)
        return 0;
    // Comment lines are no keys here.
    for (const Key& key : pSection->keys)
    {
        const std::u32string keyName = UpToZero(key.name);
        if (!keyName.empty() && keyName[0] != ';')
            pKeys->push_back(Utf8(keyName));
    }
    return 1;
}
