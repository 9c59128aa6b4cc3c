#include "AdminTexts.h"

#include <windows.h>

#include <stdlib.h>

#include "TestSupport.h"

namespace {

std::wstring FromUtf8(const std::string& text)
{
    std::wstring wide(text.size() + 1, L'\0');
    int nLength = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0],
                                      static_cast<int>(wide.size()));
    wide.resize(nLength);
    return wide;
}

} // namespace

std::map<unsigned, AdminText> ExpectedAdminTexts()
{
    std::map<unsigned, AdminText> texts;
    std::string                   table = ReadFileText(SETUP_TEST_DATA "/not_administrator.tsv");
    size_t                        pos   = 0;
    while (pos < table.size())
    {
        size_t end = table.find('\n', pos);
        if (end == std::string::npos)
            end = table.size();
        std::string line = table.substr(pos, end - pos);
        pos              = end + 1;
        if (line.empty() || line[0] == '#')
            continue;
        size_t tab1 = line.find('\t'), tab2 = line.find('\t', tab1 + 1);
        std::string text = line.substr(tab2 + 1), unescaped;
        for (size_t i = 0; i < text.size(); ++i)
        {
            if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n')
            {
                unescaped += '\n';
                ++i;
            }
            else
                unescaped += text[i];
        }
        texts[strtoul(line.c_str(), nullptr, 10)] = {line.substr(tab1 + 1, tab2 - tab1 - 1), FromUtf8(unescaped)};
    }
    return texts;
}
