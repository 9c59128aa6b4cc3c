// The administrator test, the gate of the entry sequence and the localised
// message in the built Setup.exe.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "AdminTexts.h"
#include "ProcessTestSupport.h"
#include "TestSupport.h"
#include "launcher/Maintenance.h"
#include "services/Admin.h"
#include "services/SystemLibrary.h"

namespace {

struct MembershipCase
{
    const char* szLibrary; // what "advapi32" loads from; "" fails, null: the system's
    const char* szMode;    // FAKE_ADVAPI_MODE
    int         nExpected;
};

TEST(IsAdministratorTest, AnswersAsTheMembershipTestAllows)
{
    const MembershipCase cases[] = {
        {nullptr, "", 1},                       // Wine's user is an administrator
        {"", "", 1},                            // advapi32 cannot be loaded
        {"emptylib.dll", "", 1},                // no CheckTokenMembership (Windows NT 4)
        {"fakeadvapi.dll", "member", 1},        // the real answer through the stand-in
        {"fakeadvapi.dll", "notmember", 0},     // a user outside the group
        {"fakeadvapi.dll", "fail", 0},          // the call fails, whatever it wrote
    };
    for (const MembershipCase& c : cases)
    {
        SCOPED_TRACE(std::string(c.szLibrary ? c.szLibrary : "(system)") + " " + c.szMode);
        std::string log = UseTestLog("admin");
        SetEnvironmentVariableA("FAKE_ADVAPI_MODE", c.szMode);
        SetEnvironmentVariableA("FAKE_ADVAPI_CALLS", nullptr);
        CLibraryOverride override;
        if (c.szLibrary != nullptr)
            override.Map("advapi32", c.szLibrary);

        const DWORD nHandles = HandleCount();
        EXPECT_EQ(c.nExpected, IsAdministrator());
        EXPECT_EQ(c.nExpected, IsAdministrator());
        EXPECT_EQ(nHandles, HandleCount()) << "the token or the library was not released";

        // Looked up afresh on every call, and released again each time.
        EXPECT_EQ((std::vector<std::string>{"advapi32", "advapi32"}), override.Asked());
        if (c.szLibrary != nullptr && c.szLibrary[0] != '\0')
            EXPECT_EQ(nullptr, GetModuleHandleA(c.szLibrary));
        if (c.szLibrary != nullptr && strcmp(c.szLibrary, "fakeadvapi.dll") == 0)
        {
            // The calling thread's token is tested: no token handle is passed.
            char szCalls[256] = {};
            GetEnvironmentVariableA("FAKE_ADVAPI_CALLS", szCalls, sizeof(szCalls));
            EXPECT_STREQ("check;check;", szCalls);
        }
        EXPECT_EQ("", LogMessages(log));
    }
    SetEnvironmentVariableA("FAKE_ADVAPI_MODE", nullptr);
}

TEST(IsAdministratorTest, AdvapiLoadsFromTheSystemFolderByItsBareName)
{
    // "advapi32" has no extension: the loader adds ".dll" to the full path.
    HMODULE hAdvapi = LoadSystemLibrary("advapi32");
    ASSERT_NE(nullptr, hAdvapi);
    EXPECT_NE(nullptr, GetProcAddress(hAdvapi, "CheckTokenMembership"));
    FreeLibrary(hAdvapi);
}

// What a watcher thread saw of the message box before it pressed OK.
struct BoxReport
{
    bool         bFound = false;
    bool         bOwned = false;
    bool         bHandIcon = false;
    std::string  buttons;
    std::wstring text;
};

BOOL CALLBACK FindOwnBox(HWND hWnd, LPARAM lParam)
{
    DWORD dwOwner = 0;
    GetWindowThreadProcessId(hWnd, &dwOwner);
    char szClass[16] = {}, szTitle[16] = {};
    GetClassNameA(hWnd, szClass, sizeof(szClass));
    GetWindowTextA(hWnd, szTitle, sizeof(szTitle));
    if (dwOwner == GetCurrentProcessId() && strcmp(szClass, "#32770") == 0 && strcmp(szTitle, "Setup") == 0)
    {
        *reinterpret_cast<HWND*>(lParam) = hWnd;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK ListButton(HWND hWnd, LPARAM lParam)
{
    char szClass[16] = {};
    GetClassNameA(hWnd, szClass, sizeof(szClass));
    if (_stricmp(szClass, "Button") == 0 && IsWindowVisible(hWnd))
        *reinterpret_cast<std::string*>(lParam) += std::to_string(GetDlgCtrlID(hWnd)) + ";";
    return TRUE;
}

DWORD WINAPI WatchForBox(LPVOID pParameter)
{
    BoxReport* pReport = static_cast<BoxReport*>(pParameter);
    HWND       hBox    = nullptr;
    for (int nTry = 0; nTry < 100 && hBox == nullptr; ++nTry)
    {
        EnumWindows(FindOwnBox, reinterpret_cast<LPARAM>(&hBox));
        if (hBox == nullptr)
            Sleep(20);
    }
    if (hBox == nullptr)
        return 0;
    pReport->bFound = true;
    pReport->bOwned = GetWindow(hBox, GW_OWNER) != nullptr;
    wchar_t szText[1024] = {};
    GetDlgItemTextW(hBox, 0xFFFF, szText, 1024);
    pReport->text = szText;
    // Wine's message box keeps its icon in control 0x440, Windows' in 0x14.
    for (int nId : {0x440, 0x14})
    {
        HICON hIcon = reinterpret_cast<HICON>(SendDlgItemMessageA(hBox, nId, STM_GETICON, 0, 0));
        if (hIcon != nullptr)
            pReport->bHandIcon = hIcon == LoadIconA(nullptr, IDI_HAND);
    }
    EnumChildWindows(hBox, ListButton, reinterpret_cast<LPARAM>(&pReport->buttons));
    PostMessageA(hBox, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return 0;
}

// Runs the gate with a watcher that answers the box; returns the gate's result.
int RunGate(HINSTANCE hInstance, int nOsCode, BoxReport& report)
{
    HANDLE    hWatcher = CreateThread(nullptr, 0, WatchForBox, &report, 0, nullptr);
    const int nResult  = PassAdministratorGate(hInstance, nOsCode);
    WaitForSingleObject(hWatcher, INFINITE);
    CloseHandle(hWatcher);
    return nResult;
}

class AdministratorGateTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        UseTestLog("gate");
        SetEnvironmentVariableA("FAKE_ADVAPI_MODE", "notmember");
        m_override.Map("advapi32", "fakeadvapi.dll");
    }
    void TearDown() override { SetEnvironmentVariableA("FAKE_ADVAPI_MODE", nullptr); }

    CLibraryOverride m_override;
};

TEST_F(AdministratorGateTest, OlderSystemsAreNotAsked)
{
    // Not identified, version query failed, Win32s, 95, 98, 98 SE, Me, NT 4.
    for (int nOsCode : {-1, 0, 1, 2, 3, 4, 5, 6})
    {
        EXPECT_EQ(1, PassAdministratorGate(GetModuleHandleA(nullptr), nOsCode)) << nOsCode;
    }
    EXPECT_TRUE(m_override.Asked().empty());
}

TEST_F(AdministratorGateTest, RefusedUserSeesTheMessageWithoutOwner)
{
    // This test program carries Setup.exe's string table.
    const auto texts    = ExpectedAdminTexts();
    const auto expected = texts.find(GetUserDefaultUILanguage());
    ASSERT_NE(texts.end(), expected) << "no text for language " << GetUserDefaultUILanguage();

    // Windows 2000, XP, XP x64 / Server 2003, Vista and later.
    for (int nOsCode : {7, 8, 9, 10})
    {
        BoxReport report;
        EXPECT_EQ(0, RunGate(GetModuleHandleA(nullptr), nOsCode, report)) << nOsCode;
        ASSERT_TRUE(report.bFound) << nOsCode;
        EXPECT_FALSE(report.bOwned);
        EXPECT_TRUE(report.bHandIcon);
        EXPECT_EQ("1;", report.buttons); // OK alone
        EXPECT_TRUE(report.text == expected->second.text) << nOsCode;
    }
}

TEST_F(AdministratorGateTest, AdministratorGoesOnWithoutMessage)
{
    SetEnvironmentVariableA("FAKE_ADVAPI_MODE", "member");
    BoxReport report;
    EXPECT_EQ(1, RunGate(GetModuleHandleA(nullptr), 8, report));
    EXPECT_FALSE(report.bFound);
}

TEST_F(AdministratorGateTest, MissingMessageStillRefuses)
{
    // A module without a string table: nothing to show, the run still ends.
    HMODULE hNoStrings = LoadLibraryA(ToolPath("emptylib.dll").c_str());
    ASSERT_NE(nullptr, hNoStrings);
    BoxReport report;
    EXPECT_EQ(0, RunGate(hNoStrings, 10, report));
    EXPECT_FALSE(report.bFound);
    FreeLibrary(hNoStrings);
}

// Entry 1 of the string table, read straight from the built Setup.exe.
class SetupStringTableTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_hSetup = LoadLibraryExA(ToolPath("..\\Setup.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(nullptr, m_hSetup);
    }
    void TearDown() override
    {
        if (m_hSetup != nullptr)
            FreeLibrary(m_hSetup);
    }

    // The 16 counted strings of block 1 (ids 0 to 15) in one language.
    std::vector<std::wstring> Block(WORD wLanguage)
    {
        std::vector<std::wstring> strings;
        HRSRC hInfo = FindResourceExW(m_hSetup, MAKEINTRESOURCEW(6), MAKEINTRESOURCEW(1), wLanguage);
        if (hInfo == nullptr)
            return strings;
        const WCHAR* p    = static_cast<const WCHAR*>(LockResource(LoadResource(m_hSetup, hInfo)));
        const WCHAR* pEnd = p + SizeofResource(m_hSetup, hInfo) / sizeof(WCHAR);
        while (p < pEnd && strings.size() < 16)
        {
            strings.emplace_back(p + 1, *p);
            p += 1 + *p;
        }
        return strings;
    }

    HMODULE m_hSetup = nullptr;
};

BOOL CALLBACK AddLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD wLanguage, LONG_PTR lParam)
{
    reinterpret_cast<std::vector<unsigned>*>(lParam)->push_back(wLanguage);
    return TRUE;
}

TEST_F(SetupStringTableTest, EveryLanguageHoldsItsText)
{
    const auto texts = ExpectedAdminTexts();
    ASSERT_EQ(18u, texts.size());

    std::vector<unsigned> languages;
    EnumResourceLanguagesW(m_hSetup, MAKEINTRESOURCEW(6), MAKEINTRESOURCEW(1), AddLanguage,
                           reinterpret_cast<LONG_PTR>(&languages));
    std::sort(languages.begin(), languages.end());
    std::vector<unsigned> expectedLanguages;
    for (const auto& entry : texts)
        expectedLanguages.push_back(entry.first);
    EXPECT_EQ(expectedLanguages, languages);

    for (const auto& entry : texts)
    {
        SCOPED_TRACE(entry.second.language);
        std::vector<std::wstring> block = Block(static_cast<WORD>(entry.first));
        ASSERT_EQ(16u, block.size());
        EXPECT_TRUE(block[IDS_NOT_ADMINISTRATOR] == entry.second.text);
        for (size_t i = 0; i < block.size(); ++i)
            if (i != IDS_NOT_ADMINISTRATOR)
                EXPECT_TRUE(block[i].empty()) << i;

        // The launcher loads it into 260 bytes of the language's own ANSI
        // code page: it must fit whole.
        char szCodePage[8] = {};
        GetLocaleInfoA(MAKELCID(entry.first, SORT_DEFAULT), LOCALE_IDEFAULTANSICODEPAGE, szCodePage, sizeof(szCodePage));
        const int cbAnsi = WideCharToMultiByte(atoi(szCodePage), 0, entry.second.text.c_str(), -1, nullptr, 0,
                                               nullptr, nullptr);
        EXPECT_GT(cbAnsi, 1);
        EXPECT_LE(cbAnsi, MAX_PATH);
    }
}

} // namespace
