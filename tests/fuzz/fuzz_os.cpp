// The Windows version classification over any version data and any
// "VersionNumber" value, and the registry read's copy bound.
#include <stdlib.h>
#include <string.h>

#include <string>

#include "FuzzInput.h"
#include "services/Bounded.h"
#include "services/OsClassify.h"

namespace {

std::string g_versionNumber;
int         g_nReads;

int ReadVersionNumber(char* pBuffer, uint32_t cbBuffer)
{
    ++g_nReads;
    memcpy(pBuffer, g_versionNumber.data(), g_versionNumber.size() < cbBuffer ? g_versionNumber.size() : cbBuffer);
    return 1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t cbData)
{
    CFuzzInput    input(pData, cbData);
    OsVersionData data;
    data.dwPlatformId   = input.Byte() % 4;
    data.dwMajorVersion = input.Word();
    data.dwMinorVersion = input.Byte() & 1 ? input.Word() : input.Byte() % 100;
    data.dwBuildNumber  = input.Word();
    std::string csd     = input.Text();
    data.szCSDVersion   = csd.c_str();
    g_versionNumber     = input.Text();
    g_nReads            = 0;

    char szDescription[OS_DESCRIPTION_SIZE + 1];
    szDescription[OS_DESCRIPTION_SIZE] = '#';
    int nCode = ClassifyOs(data, ReadVersionNumber, szDescription);
    if (szDescription[OS_DESCRIPTION_SIZE] != '#' || strlen(szDescription) >= OS_DESCRIPTION_SIZE)
        abort();
    if (nCode < -1 || nCode > 10 || nCode == 0 || g_nReads > 1)
        abort();
    // The registry is read only to tell Me from the first Windows 98.
    if (g_nReads == 1 && !(data.dwPlatformId == 1 && data.dwMinorVersion == 10))
        abort();

    uint32_t cbReturned = input.Word(), cbCapacity = input.Word();
    uint32_t nCount     = RegistryCopyCount(cbReturned, cbCapacity);
    if (nCount > cbCapacity || (cbCapacity >= 2 && nCount > cbCapacity - 1))
        abort();
    return 0;
}
