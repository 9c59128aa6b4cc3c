// Setup.ini read as GetPrivateProfileStringA reads it, on any system:
// sections and keys without regard to case, blanks around keys and values
// removed, one pair of surrounding quotes removed, the first of duplicate
// keys (in the first section of that name), and no inline comments: a
// "; text" after a value is part of the value.
#pragma once

#include <string>
#include <vector>

class CIniFile
{
public:
    // Reads the file's bytes; 0 when it cannot be read (no value is then found).
    int Load(const char* szPath);
    void LoadText(const std::string& text);

    // The value of [szSection] szKey as the Windows function returns it into
    // a buffer large enough; 0 when the section or key is absent.
    int Find(const char* szSection, const char* szKey, std::string* pValue) const;

    // Every key of every section, in file order (for the disc's checks).
    struct Entry
    {
        std::string section;
        std::string key;
        std::string value; // as Find would return it
    };
    const std::vector<Entry>& Entries() const { return m_entries; }

    // 1 when the file starts with a UTF-8 byte order mark.
    int HasUtf8Mark() const { return m_bUtf8Mark; }

private:
    struct Section
    {
        std::string              name;
        std::vector<std::string> keys;
        std::vector<std::string> values;
        std::vector<int>         hasValue;
    };
    std::vector<Section> m_sections;
    std::vector<Entry>   m_entries;
    int                  m_bUtf8Mark = 0;
};
