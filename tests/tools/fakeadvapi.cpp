// A stand-in for advapi32, handed to the launcher through the system library
// loader where Wine cannot produce a case: a user outside the Administrators
// group, a failing membership call, a token that cannot be opened, a
// privilege that cannot be looked up.
//
// FAKE_ADVAPI_MODE (environment) chooses the answers:
//   notmember   CheckTokenMembership succeeds and says "not a member"
//   fail        CheckTokenMembership fails (claiming membership in its out-parameter)
//   tokenfail   OpenProcessToken fails
//   lookupfail  LookupPrivilegeValueA fails
//   anything else: every call goes to the real advapi32.
// Each call is appended to the FAKE_ADVAPI_CALLS environment variable, e.g.
// "check;open;lookup SeDebugPrivilege;adjust 2;".
#include <stdio.h>
#include <string.h>
#include <windows.h>

namespace {

bool IsMode(const char* szMode)
{
    char szValue[32] = {};
    GetEnvironmentVariableA("FAKE_ADVAPI_MODE", szValue, sizeof(szValue));
    return strcmp(szValue, szMode) == 0;
}

void RecordCall(const char* szCall)
{
    char szCalls[4096] = {};
    GetEnvironmentVariableA("FAKE_ADVAPI_CALLS", szCalls, sizeof(szCalls));
    size_t nLength = strlen(szCalls);
    snprintf(szCalls + nLength, sizeof(szCalls) - nLength, "%s;", szCall);
    SetEnvironmentVariableA("FAKE_ADVAPI_CALLS", szCalls);
}

} // namespace

extern "C" {

BOOL WINAPI FakeCheckTokenMembership(HANDLE hToken, PSID pSid, PBOOL pbMember)
{
    RecordCall(hToken == nullptr ? "check" : "check with token");
    if (IsMode("fail"))
    {
        *pbMember = TRUE;
        SetLastError(ERROR_NO_IMPERSONATION_TOKEN);
        return FALSE;
    }
    if (IsMode("notmember"))
    {
        *pbMember = FALSE;
        return TRUE;
    }
    return CheckTokenMembership(hToken, pSid, pbMember);
}

BOOL WINAPI FakeOpenProcessToken(HANDLE hProcess, DWORD dwAccess, PHANDLE phToken)
{
    char szCall[32];
    snprintf(szCall, sizeof(szCall), "open %lu", dwAccess);
    RecordCall(szCall);
    if (IsMode("tokenfail"))
    {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return OpenProcessToken(hProcess, dwAccess, phToken);
}

BOOL WINAPI FakeLookupPrivilegeValueA(LPCSTR szSystem, LPCSTR szName, PLUID pLuid)
{
    char szCall[96];
    snprintf(szCall, sizeof(szCall), "lookup %s%s", szSystem == nullptr ? "" : "remote ", szName);
    RecordCall(szCall);
    if (IsMode("lookupfail"))
    {
        SetLastError(ERROR_NO_SUCH_PRIVILEGE);
        return FALSE;
    }
    return LookupPrivilegeValueA(szSystem, szName, pLuid);
}

BOOL WINAPI FakeAdjustTokenPrivileges(HANDLE hToken, BOOL bDisableAll, PTOKEN_PRIVILEGES pNew, DWORD cbNew,
                                      PTOKEN_PRIVILEGES pPrevious, PDWORD pcbPrevious)
{
    char szCall[64];
    snprintf(szCall, sizeof(szCall), "adjust %lu", pNew->PrivilegeCount == 1 ? pNew->Privileges[0].Attributes : 999ul);
    RecordCall(szCall);
    return AdjustTokenPrivileges(hToken, bDisableAll, pNew, cbNew, pPrevious, pcbPrevious);
}

} // extern "C"
