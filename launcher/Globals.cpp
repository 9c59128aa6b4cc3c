#include "launcher/Globals.h"

char g_szModuleFolder[MAX_PATH];
char g_szCommandLine[MAX_PATH];
char g_szLanguageCode[MAX_PATH];
char g_szCommonFilesDir[MAX_PATH];
char g_szSetupIniPath[MAX_PATH];

CMutex g_SetupMutex(FALSE, SETUP_MUTEX_NAME, nullptr);
