// What discplan plans for: the system classes --os names, with the version
// data each reports, the launcher's language codes, and the command lines.
#pragma once

#include <string>
#include <vector>

// The command lines that select differently, planned when --cmdline names
// none: none, "/s", "/webrelease", "/dusmara", "/dm5" and "/x" (a slash
// without a keyword).
const std::vector<std::string>& DefaultCmdlines();

// The system class names that --os accepts, in order, and their OsCode.
const std::vector<std::string>& KnownSystems();
int                             OsCodeOfSystem(const std::string& name); // 0: unknown name

// One system per class the launcher tells apart, planned when --os names
// none (win7 and win10 are vista's class).
const std::vector<std::string>& DefaultSystems();

// 1 for the Windows NT family, whose profile functions read Setup.ini in
// UTF-8 or UTF-16 after a byte order mark; Windows 95, 98 and Me read every
// file as bytes of the code page.
int ReadsUnicodeFiles(const std::string& name);

// The language codes of the launcher's table, "enu" first.
const std::vector<std::string>& KnownLanguages();

// The code of the table that code names without regard to case ("DEU" is
// "deu"); empty when the table has no such code.
std::string KnownLanguage(const std::string& code);
