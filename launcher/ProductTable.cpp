#include "launcher/ProductTable.h"

#include "engine/EngineNames.h"
#include "services/Bounded.h"
#include "services/Format.h"

const ProductRow g_productRows[] = {
    {".\\Talvenor", ".\\Talvenor\\", "Talvenor", ".\\Talvenor"},
    {".\\Dusmara", ".\\Dusmara\\", "Dusmara", nullptr},
    {".\\Ferrolin", ".\\Ferrolin\\", "Ferrolin", nullptr},
    {".\\Oskavel", ".\\Oskavel\\", "Oskavel", nullptr},
    {".\\Marubel", ".\\Marubel\\", "Marubel", nullptr},
    {".\\Corvan Lite", ".\\Corvan Lite\\", "Corvan Lite", nullptr},
    {".\\Corvan Plus", ".\\Corvan Plus\\", "Corvan Plus", nullptr},
    {".\\Gorsen", ".\\Gorsen\\", "Gorsen", nullptr},
    {".\\Tilmar", ".\\Tilmar\\", "Tilmar", nullptr},
    {".\\Ebrevia", ".\\Ebrevia\\", "Ebrevia", nullptr},
    {".\\Nuvolet", ".\\Nuvolet\\", "Nuvolet", nullptr},
    // The generic installer folder: no product name, and its own engine update.
    {".\\AppInst", "AppInst\\", nullptr, ".\\AppInst"},
};
const size_t g_nProductRows = sizeof(g_productRows) / sizeof(g_productRows[0]);

void FindProductFolder(ProductLocation& location, PFN_PATH_EXISTS pfnExists)
{
    CopyStringBounded(location.szEngineRoot, PATH_SIZE, "TechSupt");
    location.szProductFolder[0] = '\0';
    location.szProductName[0]   = '\0';

    for (size_t i = 0; i < g_nProductRows; ++i)
    {
        const ProductRow& row = g_productRows[i];
        if (!pfnExists(row.szProbe))
            continue;
        CopyStringBounded(location.szProductFolder, PATH_SIZE, row.szFolder);
        if (row.szName != nullptr)
            CopyStringBounded(location.szProductName, PATH_SIZE, row.szName);
        if (row.szEngineRoot != nullptr)
            CopyStringBounded(location.szEngineRoot, PATH_SIZE, row.szEngineRoot);
        return;
    }
}

void FindSetupProgram(ProductLocation& location, const char* szLanguage, PFN_PATH_EXISTS pfnExists)
{
    char szCandidate[PATH_SIZE];

    // An empty folder counts as missing, so the plain probe then looks beside
    // the launcher (and finds the launcher itself when it is named Setup.exe).
    const char* szPrefix = location.szProductFolder[0] != '\0' && pfnExists(location.szProductFolder)
                               ? location.szProductFolder
                               : "";
    FormatBounded(szCandidate, PATH_SIZE, "%ssetup.exe", szPrefix);
    location.bSetupFound = pfnExists(szCandidate) ? 1 : 0;
    if (location.bSetupFound)
    {
        CopyStringBounded(location.szSetupProgram, PATH_SIZE, szCandidate);
        return;
    }

    // The language and English folders: found there, bSetupFound stays 0.
    FormatBounded(szCandidate, PATH_SIZE, "%s%s\\setup.exe", location.szProductFolder, szLanguage);
    if (pfnExists(szCandidate))
    {
        CopyStringBounded(location.szSetupProgram, PATH_SIZE, szCandidate);
        return;
    }
    FormatBounded(location.szSetupProgram, PATH_SIZE, "%senu\\setup.exe", location.szProductFolder);
}

void FindEngineUpdate(ProductLocation& location, PFN_PATH_EXISTS pfnExists)
{
    FormatBounded(location.szEngineUpdateProbe, PATH_SIZE, ENGINE_UPDATE_PROGRAM, location.szEngineRoot);
    location.bEngineUpdateFound = pfnExists(location.szEngineUpdateProbe) ? 1 : 0;
}

int IsLauncherItself(const char* szProgram)
{
    const char* szName = "setup.exe";
    for (; *szName != '\0'; ++szName, ++szProgram)
    {
        char ch = *szProgram;
        if (ch >= 'A' && ch <= 'Z')
            ch = static_cast<char>(ch - 'A' + 'a');
        if (ch != *szName)
            return 0;
    }
    return *szProgram == '\0';
}
