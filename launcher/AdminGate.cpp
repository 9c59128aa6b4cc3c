#include "launcher/Maintenance.h"

#include "launcher/MaintenanceChoice.h"
#include "services/Admin.h"

namespace {

// Size of the message buffer, terminator included.
const int MESSAGE_SIZE = MAX_PATH;

} // namespace

int PassAdministratorGate(HINSTANCE hInstance, int nOsCode)
{
    if (!IsAdministratorRequired(nOsCode) || IsAdministrator())
        return 1;

    // The resource loader picks the text for the user's language; without any
    // text the run still ends, silently.
    char szMessage[MESSAGE_SIZE] = {};
    if (LoadStringA(hInstance, IDS_NOT_ADMINISTRATOR, szMessage, MESSAGE_SIZE) != 0)
        ShowMessage(szMessage, "Setup", MB_OK | MB_ICONHAND);
    return 0;
}
