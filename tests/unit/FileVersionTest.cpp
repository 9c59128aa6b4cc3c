// The "FileVersion" query and comparison against real version resources
// (DLLs built with windres, read through the system's version.dll).
#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "engine/FileVersion.h"
#include "engine/VersionText.h"
#include "services/SystemLibrary.h"

namespace {

std::string VersionFile(const char* szName)
{
    return ToolPath((std::string("versions\\") + szName + ".dll").c_str());
}

std::string Query(const std::string& path, int* pnResult = nullptr)
{
    char szVersion[VERSION_TEXT_SIZE] = {};
    const int nResult = QueryFileVersion(path.c_str(), szVersion, sizeof(szVersion));
    if (pnResult != nullptr)
        *pnResult = nResult;
    return szVersion;
}

std::string g_requestedLibrary;
bool        g_bLoadStandIn = false;

// Records the name asked for and loads either nothing or a library without
// the version functions (a resource-only DLL).
HMODULE RecordingLoader(const char* szName)
{
    g_requestedLibrary = szName;
    return g_bLoadStandIn ? LoadLibraryA(VersionFile("v_current").c_str()) : nullptr;
}

} // namespace

TEST(FileVersion, QueryReadsTheFirstTranslationsFileVersion)
{
    int nResult = -1;
    EXPECT_EQ("6.31.100.1190", Query(VersionFile("v_current"), &nResult));
    EXPECT_EQ(1, nResult);
    EXPECT_EQ("6, 31, 100, 1190", Query(VersionFile("v_commas"), &nResult));
    EXPECT_EQ(1, nResult);

    // Absent: no resource, no "FileVersion" in the first translation (the
    // second one's is not looked at), no file at all.
    for (const char* szName : {"v_none", "v_second", "v_missing"})
    {
        EXPECT_EQ("", Query(VersionFile(szName), &nResult)) << szName;
        EXPECT_EQ(0, nResult) << szName;
    }
}

TEST(FileVersion, LongTextsAreCutToTheBuffer)
{
    EXPECT_EQ("6.31.100.1190 (release build of the engine, kept ", Query(VersionFile("v_long")));
    char szSmall[5] = {'x', 'x', 'x', 'x', 'x'};
    EXPECT_EQ(1, QueryFileVersion(VersionFile("v_current").c_str(), szSmall, sizeof(szSmall)));
    EXPECT_STREQ("6.31", szSmall);
}

TEST(FileVersion, CheckComparesNumericallyAndLogsTheNormalisedText)
{
    struct Case
    {
        const char* szName;
        const char* szLogged;
        int         nCurrent;
    };
    const Case cases[] = {
        {"v_current", "6.31.100.1190", 1},
        {"v_commas", "6.31.100.1190", 1},
        {"v_blank", "6.31.100.1190", 1},
        {"v_build", "6.31.100.1205", 1},
        {"v_minor", "6.31.101.0", 1},
        {"v_ten", "10.0.0.0", 1},
        {"v_long", "6.31.100.1190(releasebuildoftheengine.kept", 1},
        {"v_999", "6.31.100.999", 0},
        {"v_64", "6.4.0.0", 0},
        {"v_119", "6.31.100.119", 0},
        {"v_words", "unknown", 0},
        // Sixty zeros before "6.31.100.1190", cut to 49 of them: reads as an
        // older version, so the update runs.
        {"v_long_zeros", "0000000000000000000000000000000000000000000000000", 0},
        {"v_none", "", 0},
        {"v_second", "", 0},
    };
    for (const Case& c : cases)
    {
        const std::string log  = UseTestLog("check_file_version");
        const std::string path = VersionFile(c.szName);
        EXPECT_EQ(c.nCurrent, CheckFileVersion("6.31.100.1190", path.c_str())) << c.szName;
        EXPECT_EQ(std::string("6.31.100.1190 ") + c.szLogged + " " + path + "\n", LogMessages(log)) << c.szName;
    }
}

// version.dll comes from the system folder through the system library
// loader; when it lacks the functions, every file counts as outdated.
TEST(FileVersion, VersionLibraryIsLoadedAsASystemLibrary)
{
    PFN_LOAD_SYSTEM_LIBRARY pfnPrevious = SetSystemLibraryLoader(RecordingLoader);

    g_bLoadStandIn = false;
    EXPECT_EQ("", Query(VersionFile("v_current")));
    EXPECT_EQ("version.dll", g_requestedLibrary);

    g_bLoadStandIn = true;
    g_requestedLibrary.clear();
    UseTestLog("version_library");
    EXPECT_EQ(0, CheckFileVersion("6.31.100.1190", VersionFile("v_current").c_str()));
    EXPECT_EQ("version.dll", g_requestedLibrary);
    // The query releases the library it loaded.
    EXPECT_EQ(nullptr, GetModuleHandleA(VersionFile("v_current").c_str()));

    SetSystemLibraryLoader(pfnPrevious);
    EXPECT_EQ("6.31.100.1190", Query(VersionFile("v_current")));
}
