// discplan's files beside its standard output (--html, --junit).
#pragma once

#include <string>

// Writes text, as it is, to the file at path (UTF-8, as the arguments are),
// replacing it. 0 and the reason in *pError ("Permission denied") when the
// file cannot be opened or written whole.
int WriteOutputFile(const std::string& path, const std::string& text, std::string* pError);
