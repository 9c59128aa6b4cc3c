// Product folder table and setup program probes, over a made-up disc.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "launcher/ProductTable.h"

namespace {

// The paths that exist on the disc of the current test.
std::set<std::string> g_disc;

int OnDisc(const char* szPath) { return g_disc.count(szPath) ? 1 : 0; }

ProductLocation Resolve(std::set<std::string> disc, const char* szLanguage = "deu")
{
    g_disc = std::move(disc);
    ProductLocation location = {};
    FindProductFolder(location, OnDisc);
    FindSetupProgram(location, szLanguage, OnDisc);
    FindEngineUpdate(location, OnDisc);
    return location;
}

} // namespace

TEST(ProductTable, FirstExistingFolderWins)
{
    ProductLocation location = Resolve({".\\Dusmara", ".\\Dusmara\\", ".\\AppInst", ".\\Nuvolet"});
    EXPECT_STREQ(".\\Dusmara\\", location.szProductFolder);
    EXPECT_STREQ("Dusmara", location.szProductName);
    EXPECT_STREQ("TechSupt", location.szEngineRoot);
    EXPECT_STREQ(".\\TechSupt\\IKernelUpdate\\Setup.exe", location.szEngineUpdateProbe);

    location = Resolve({".\\Corvan Plus", ".\\Talvenor"});
    EXPECT_STREQ(".\\Talvenor\\", location.szProductFolder);
    EXPECT_STREQ(".\\Talvenor", location.szEngineRoot);
    EXPECT_STREQ(".\\.\\Talvenor\\IKernelUpdate\\Setup.exe", location.szEngineUpdateProbe);

    location = Resolve({".\\AppInst", "AppInst\\", ".\\.\\AppInst\\IKernelUpdate\\Setup.exe"});
    EXPECT_STREQ("AppInst\\", location.szProductFolder);
    EXPECT_STREQ("", location.szProductName);
    EXPECT_STREQ(".\\AppInst", location.szEngineRoot);
    EXPECT_EQ(1, location.bEngineUpdateFound);

    for (size_t i = 0; i < g_nProductRows; ++i)
    {
        location = Resolve({g_productRows[i].szProbe});
        EXPECT_STREQ(g_productRows[i].szFolder, location.szProductFolder);
    }
    EXPECT_EQ(12u, g_nProductRows);
}

TEST(ProductTable, SetupProgramProbes)
{
    // Plain, in the product folder.
    ProductLocation location = Resolve({".\\Dusmara", ".\\Dusmara\\", ".\\Dusmara\\setup.exe",
                                        ".\\Dusmara\\deu\\setup.exe"});
    EXPECT_STREQ(".\\Dusmara\\setup.exe", location.szSetupProgram);
    EXPECT_EQ(1, location.bSetupFound);

    // Only in the language folder, or in neither: not found by the plain probe.
    location = Resolve({".\\Dusmara", ".\\Dusmara\\", ".\\Dusmara\\deu\\setup.exe"});
    EXPECT_STREQ(".\\Dusmara\\deu\\setup.exe", location.szSetupProgram);
    EXPECT_EQ(0, location.bSetupFound);
    location = Resolve({".\\Dusmara", ".\\Dusmara\\"});
    EXPECT_STREQ(".\\Dusmara\\enu\\setup.exe", location.szSetupProgram);
    EXPECT_EQ(0, location.bSetupFound);

    // An empty language code makes the language probe look for two backslashes in a row.
    location = Resolve({".\\Dusmara", ".\\Dusmara\\", ".\\Dusmara\\\\setup.exe"}, "");
    EXPECT_STREQ(".\\Dusmara\\\\setup.exe", location.szSetupProgram);

    // No product folder: the launcher's own setup.exe, else the language folders beside it.
    location = Resolve({"setup.exe"});
    EXPECT_STREQ("setup.exe", location.szSetupProgram);
    EXPECT_EQ(1, location.bSetupFound);
    EXPECT_TRUE(IsLauncherItself(location.szSetupProgram));
    location = Resolve({"deu\\setup.exe"});
    EXPECT_STREQ("deu\\setup.exe", location.szSetupProgram);
    location = Resolve({});
    EXPECT_STREQ("enu\\setup.exe", location.szSetupProgram);
    EXPECT_EQ(0, location.bEngineUpdateFound);
}

TEST(ProductTable, LauncherItselfIsTheBareNameInAnyCase)
{
    EXPECT_TRUE(IsLauncherItself("setup.exe"));
    EXPECT_TRUE(IsLauncherItself("SETUP.EXE"));
    EXPECT_TRUE(IsLauncherItself("Setup.Exe"));
    EXPECT_FALSE(IsLauncherItself(".\\setup.exe"));
    EXPECT_FALSE(IsLauncherItself("setup.exe "));
    EXPECT_FALSE(IsLauncherItself("setup.ex"));
    EXPECT_FALSE(IsLauncherItself(""));
}
