// The expected texts of the "not an administrator" message, read from
// tests/data/not_administrator.tsv (shared with the end-to-end tests).
#pragma once

#include <map>
#include <string>

struct AdminText
{
    std::string  language;
    std::wstring text;
};

// Language id -> language name and text (line feeds as they are shown).
std::map<unsigned, AdminText> ExpectedAdminTexts();
