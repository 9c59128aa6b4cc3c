// Process-wide values of the launcher. Each text is a 260-byte buffer in the
// system's ANSI code page, empty until the step of the entry sequence that
// sets it.
#pragma once

#include <windows.h>

#include "Utils/Common/Sync/Sync.h"
#include "launcher/ExitCode.h"
#include "services/Log.h" // g_szLogPath

extern char g_szModuleFolder[MAX_PATH];  // the launcher's folder, maybe its short name (step 1)
extern char g_szCommandLine[MAX_PATH];   // the command line as received (step 2)
extern char g_szLanguageCode[MAX_PATH];  // three-letter language code (step 6)
extern char g_szCommonFilesDir[MAX_PATH]; // the common files folder (step 9)
extern char g_szSetupIniPath[MAX_PATH];  // Setup.ini beside the launcher (step 16)

// Serialises the single-instance test between launchers.
extern CMutex g_SetupMutex;

// Names of the single-instance objects.
#define SETUP_MUTEX_NAME "setup_mutex_752403D0-5ABF-4b43-8A45-93D4C9A96A16"
#define SETUP_EVENT_NAME "setup_event_752403D0-5ABF-4b43-8A45-93D4C9A96A16"
