// The systems and languages discplan plans for: the system classes --os
// names, with the version data each reports, and the launcher's language
// codes.
#pragma once

#include <string>
#include <vector>

// The system class names that --os accepts, in order, and their OsCode.
const std::vector<std::string>& KnownSystems();
int                             OsCodeOfSystem(const std::string& name); // 0: unknown name

// 1 for the Windows NT family, whose profile functions read Setup.ini in
// UTF-8 or UTF-16 after a byte order mark; Windows 95, 98 and Me read every
// file as bytes of the code page.
int ReadsUnicodeFiles(const std::string& name);

// The language codes of the launcher's table, "enu" first.
const std::vector<std::string>& KnownLanguages();

// The code of the table that code names without regard to case ("DEU" is
// "deu"); empty when the table has no such code.
std::string KnownLanguage(const std::string& code);
