#include "services/Launch.h"

int LaunchCmdline(const char*, const char*, DWORD, int) { return 0; }
