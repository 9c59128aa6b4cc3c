#include "services/Settings.h"

#include "services/Bounded.h"

LaunchSettings::LaunchSettings(const char* szPath) { SetPath(szPath); }

LaunchSettings::~LaunchSettings() {}

HRESULT LaunchSettings::SetPath(const char* szPath) { return CopyStringBounded(m_szPath, MAX_PATH, szPath); }

BOOL LaunchSettings::GetValue(const char*, const char*, char*, DWORD*) { return FALSE; }
