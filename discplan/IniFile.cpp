#include "discplan/IniFile.h"

#include <stdio.h>
#include <string.h>
#include <strings.h>

namespace {

bool IsBlank(char ch) { return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n' || ch == '\v' || ch == '\f'; }

std::string Trim(const std::string& text)
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
std::string Unquote(const std::string& value)
{
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value[value.size() - 1] == value[0])
        return value.substr(1, value.size() - 2);
    return value;
}

} // namespace

int CIniFile::Load(const char* szPath)
{
    FILE* pFile = fopen(szPath, "rb");
    if (pFile == nullptr)
    {
        LoadText("");
        return 0;
    }
    std::string text;
    char        buffer[4096];
    size_t      nRead;
    while ((nRead = fread(buffer, 1, sizeof(buffer), pFile)) > 0)
        text.append(buffer, nRead);
    fclose(pFile);
    LoadText(text);
    return 1;
}

void CIniFile::LoadText(const std::string& fileText)
{
    // Wine reads a file with a UTF-8 mark as UTF-8 and drops the mark.
    m_bUtf8Mark            = fileText.compare(0, 3, "\xEF\xBB\xBF") == 0;
    const std::string text = m_bUtf8Mark ? fileText.substr(3) : fileText;
    m_sections.clear();
    m_entries.clear();
    // Keys before the first section belong to a section without a name,
    // which no lookup finds.
    m_sections.push_back(Section());
    m_sections.back().name = std::string(1, '\0');

    size_t nPos = 0;
    while (nPos <= text.size())
    {
        size_t nEnd = text.find('\n', nPos);
        if (nEnd == std::string::npos)
            nEnd = text.size();
        std::string line = Trim(text.substr(nPos, nEnd - nPos));
        nPos = nEnd + 1;
        if (line.empty())
            continue;
        if (line[0] == '[')
        {
            // The name runs to the last ']' of the line, without blanks around it.
            const size_t nClose = line.rfind(']');
            if (nClose != std::string::npos)
            {
                m_sections.push_back(Section());
                m_sections.back().name = Trim(line.substr(1, nClose - 1));
                continue;
            }
        }
        // A line without '=' is a key without a value; a ';' line is a key
        // that no caller asks for, which is all a comment is to Windows.
        Section&     section = m_sections.back();
        const size_t nEqual  = line.find('=');
        if (nEqual == std::string::npos)
        {
            section.keys.push_back(line);
            section.values.push_back("");
            section.hasValue.push_back(0);
        }
        else
        {
            section.keys.push_back(Trim(line.substr(0, nEqual)));
            section.values.push_back(Unquote(Trim(line.substr(nEqual + 1))));
            section.hasValue.push_back(1);
            m_entries.push_back({section.name, section.keys.back(), section.values.back()});
        }
    }
}

int CIniFile::Find(const char* szSection, const char* szKey, std::string* pValue) const
{
    // The caller's section name loses its blanks too.
    const std::string wanted = Trim(szSection);
    for (const Section& section : m_sections)
    {
        if (strcasecmp(section.name.c_str(), wanted.c_str()) != 0 || section.name.size() != wanted.size())
            continue;
        // Only the first section of the name is looked in.
        for (size_t i = 0; i < section.keys.size(); ++i)
        {
            if (strcasecmp(section.keys[i].c_str(), szKey) == 0 && section.keys[i].size() == strlen(szKey))
            {
                // A key without '=' has no value: the caller's default comes back.
                if (!section.hasValue[i])
                    return 0;
                *pValue = section.values[i];
                return 1;
            }
        }
        return 0;
    }
    return 0;
}
