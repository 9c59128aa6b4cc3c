// Finding a running process by the base name of one of its first modules.
#pragma once

#include <windows.h>

// Looks through the running processes in enumeration order for one whose
// first or second module has the base name szModule (ASCII letters compared
// without case). On the first match: logs "Match PID ..." once, stores the
// id in *pdwProcessId and returns TRUE. Otherwise FALSE, *pdwProcessId
// untouched.
BOOL FindProcessByModule(const char* szModule, DWORD* pdwProcessId);
