#include "services/Admin.h"

#include "services/Log.h"
#include "services/ProcAddress.h"
#include "services/SystemLibrary.h"

namespace {

typedef BOOL(WINAPI* PFN_CHECK_TOKEN_MEMBERSHIP)(HANDLE, PSID, PBOOL);

// Asks the system whether the calling thread's effective token holds the
// identifier. CheckTokenMembership is looked up on every call: Windows NT 4
// lacks it, and the launcher must still start there.
int IsMemberOf(PSID pGroup)
{
    HMODULE hAdvapi = LoadSystemLibrary("advapi32");
    if (hAdvapi == nullptr)
        return 1;
    int bResult = 1;
    PFN_CHECK_TOKEN_MEMBERSHIP pfnCheck =
        GetProcAddressAs<PFN_CHECK_TOKEN_MEMBERSHIP>(hAdvapi, "CheckTokenMembership");
    if (pfnCheck != nullptr)
    {
        // A null token makes the system test the thread's effective token (the
        // impersonation token when there is one), which is what counts.
        BOOL bMember = FALSE;
        bResult      = pfnCheck(nullptr, pGroup, &bMember) && bMember ? 1 : 0;
    }
    FreeLibrary(hAdvapi);
    return bResult;
}

} // namespace

int IsAdministrator()
{
    // The process token is opened only to see that the process may look at
    // its security at all; the membership test itself asks about the
    // calling thread's token.
    HANDLE hToken = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_READ, &hToken))
    {
        WriteLog("Unable to open process token.\n");
        return 1;
    }

    // Anything that keeps the question from being asked counts as a yes.
    int                      bResult     = 1;
    SID_IDENTIFIER_AUTHORITY ntAuthority = {SECURITY_NT_AUTHORITY};
    PSID                     pAdmins     = nullptr;
    if (AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                 DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &pAdmins))
    {
        bResult = IsMemberOf(pAdmins);
        FreeSid(pAdmins);
    }
    CloseHandle(hToken);
    return bResult;
}

int ShowMessage(const char* szText, const char* szCaption, UINT uStyle)
{
    return MessageBoxA(nullptr, szText, szCaption, uStyle);
}

int ShowMessageW(const wchar_t* szText, const wchar_t* szCaption, UINT uStyle)
{
    return MessageBoxW(nullptr, szText, szCaption, uStyle);
}
