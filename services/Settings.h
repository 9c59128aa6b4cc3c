// The reader of the optional Setup.ini beside the launcher.
#pragma once

#include <windows.h>

class LaunchSettings
{
public:
    explicit LaunchSettings(const char* szPath);
    virtual ~LaunchSettings();

    // Stores the file's path, cut to 259 characters.
    HRESULT SetPath(const char* szPath);

    // Reads [szSection] szKey into szBuffer, whose capacity *pcchCapacity
    // counts the terminator. TRUE when the value was present, not empty and
    // fitted whole; a value that does not fit gives FALSE, a terminated cut
    // copy and its length in *pcchCapacity.
    BOOL GetValue(const char* szSection, const char* szKey, char* szBuffer, DWORD* pcchCapacity);

    char m_szPath[MAX_PATH];
};
