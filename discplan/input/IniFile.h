// Setup.ini read as GetPrivateProfileStringA reads it on a system of one
// ANSI code page: the file's text in that code page (or, on Windows NT, in
// UTF-8 or UTF-16 after a byte order mark), sections and keys without regard
// to the case of ASCII letters, blanks around keys and values removed, one pair of surrounding
// quotes removed, the first of duplicate keys (in the first section of that
// name), and no inline comments: a "; text" after a value is part of the
// value. The value comes back in the code page.
#pragma once

#include <string>
#include <vector>

class CCodePage;

class CIniFile
{
public:
    enum Encoding
    {
        INI_ANSI,      // no byte order mark: bytes of the code page
        INI_UTF8_MARK, // EF BB BF
        INI_UTF16LE,   // FF FE
        INI_UTF16BE,   // FE FF
    };

    // Reads the file's bytes as the system reads them. bUnicodeFiles: the
    // profile functions of Windows NT, which know byte order marks; Windows
    // 95, 98 and Me read every file as bytes of the code page.
    void Load(const std::string& bytes, const CCodePage& codePage, int bUnicodeFiles);

    // The value of [szSection] szKey (both in the code page, as the launcher
    // asks) as the Windows function returns it into a buffer large enough,
    // in the code page; 0 when the section or key is absent. *pbExact: 0
    // when the value has characters the code page cannot write (Windows
    // gives a look-alike or "?" for them).
    int Find(const char* szSection, const char* szKey, std::string* pValue, int* pbExact = nullptr) const;

    // The same in Unicode text (UTF-8), before the value is written in the
    // code page.
    int FindText(const std::string& section, const std::string& key, std::string* pText) const;

    // Every key with a value, in file order, as Unicode text (UTF-8).
    struct Entry
    {
        std::string section;
        std::string key;
        std::string value; // as Find would return it, before the code page
    };
    const std::vector<Entry>& Entries() const { return m_entries; }

    // The names of the keys of the first section named section (Unicode
    // text, UTF-8), in file order, duplicates and keys without a value
    // included but comment lines left out, as the profile functions list
    // them when asked for no key. 0 when there is no such section.
    int Keys(const std::string& section, std::vector<std::string>* pKeys) const;

    // The byte order mark the file starts with (INI_ANSI: none).
    Encoding Marked() const { return m_marked; }

private:
    struct Key
    {
        std::u32string name;
        std::u32string value;
        bool           bValue; // the line had a '='
    };
    struct Section
    {
        std::u32string   name;
        std::vector<Key> keys;
    };
    // The first section named section, or null.
    const Section* FindSection(const std::string& section) const;

    const CCodePage*     m_pCodePage = nullptr;
    std::vector<Section> m_sections;
    std::vector<Entry>   m_entries;
    Encoding             m_marked = INI_ANSI;
};
