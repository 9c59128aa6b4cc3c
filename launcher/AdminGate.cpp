#include "launcher/Maintenance.h"

#include "launcher/MaintenanceChoice.h"
#include "services/Admin.h"
#include "services/AnsiText.h"

namespace {

// Size of the message buffer, terminator included.
const int MESSAGE_SIZE = MAX_PATH;

} // namespace

int PassAdministratorGate(HINSTANCE hInstance, int nOsCode)
{
    if (!IsAdministratorRequired(nOsCode) || IsAdministrator())
        return 1;

    // The resource loader picks the text for the user's display language;
    // without any text the run still ends, silently. LoadStringA would hand
    // it over in the system's ANSI code page, which need not hold the
    // display language's script (a Japanese display language over code page
    // 1252 gives question marks). The gate runs only on NT, where the Unicode
    // functions exist: the text is loaded as it is stored, and goes through
    // the ANSI message box only when the code page holds every character.
    wchar_t szWide[MESSAGE_SIZE] = {};
    if (LoadStringW(hInstance, IDS_NOT_ADMINISTRATOR, szWide, MESSAGE_SIZE) == 0)
        return 0;
    // A text too long for the buffer takes the Unicode box too.
    char szMessage[MESSAGE_SIZE] = {};
    if (ConvertToAnsi(szWide, szMessage, MESSAGE_SIZE) == ANSI_EXACT)
        ShowMessage(szMessage, "Setup", MB_OK | MB_ICONHAND);
    else
        ShowMessageW(szWide, L"Setup", MB_OK | MB_ICONHAND);
    return 0;
}
