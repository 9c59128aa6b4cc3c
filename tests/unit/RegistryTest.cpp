// CRegistry against real keys of the current user.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include <shlwapi.h>

#include "TestSupport.h"
#include "services/Registry.h"

namespace {

const char* const TEST_KEY = "Software\\SetupLauncherTests\\Registry";

class RegistryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_logPath = UseTestLog("registry");
        SHDeleteKeyA(HKEY_CURRENT_USER, TEST_KEY);
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, TEST_KEY, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                                 &m_hKey, nullptr));
    }

    void TearDown() override
    {
        RegCloseKey(m_hKey);
        SHDeleteKeyA(HKEY_CURRENT_USER, TEST_KEY);
    }

    // Stores cbData bytes of pData as a value of the given type.
    void Set(const char* szName, const void* pData, DWORD cbData, DWORD dwType = REG_SZ)
    {
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(m_hKey, szName, 0, dwType, static_cast<const BYTE*>(pData), cbData));
    }

    void SetText(const char* szName, const std::string& text)
    {
        Set(szName, text.c_str(), static_cast<DWORD>(text.size() + 1));
    }

    struct Read
    {
        BOOL        bRead;
        DWORD       cbCapacity;
        std::string buffer; // all 400 bytes of the caller's buffer
        std::string Text() const { return buffer.substr(0, buffer.find('\0')); }
    };

    // ReadString into a 400-byte buffer filled with '#'.
    Read ReadValue(const char* szName, DWORD cbCapacity = MAX_PATH)
    {
        CRegistry registry(TEST_KEY, HKEY_CURRENT_USER, FALSE);
        char      buffer[400];
        memset(buffer, '#', sizeof(buffer));
        Read read;
        read.cbCapacity = cbCapacity;
        read.bRead      = registry.ReadString(szName, buffer, &read.cbCapacity);
        read.buffer.assign(buffer, sizeof(buffer));
        return read;
    }

    std::string m_logPath;
    HKEY        m_hKey = nullptr;
};

} // namespace

TEST_F(RegistryTest, ReadsWithinTheCapacityLessTwoAndReportsTheSizeNeeded)
{
    SetText("v258", std::string(258, 'a'));
    SetText("v259", std::string(259, 'b'));
    SetText("v300", std::string(300, 'c'));

    const Read whole = ReadValue("v258");
    EXPECT_TRUE(whole.bRead);
    EXPECT_EQ(std::string(258, 'a'), whole.Text());
    EXPECT_EQ(260u, whole.cbCapacity);

    // 259 characters need 260 bytes, which fit: the capacity stays, the text
    // arrives one character short all the same.
    const Read oneShort = ReadValue("v259");
    EXPECT_TRUE(oneShort.bRead);
    EXPECT_EQ(std::string(258, 'b'), oneShort.Text());
    EXPECT_EQ(260u, oneShort.cbCapacity);

    const Read cut = ReadValue("v300");
    EXPECT_TRUE(cut.bRead);
    EXPECT_EQ(std::string(258, 'c'), cut.Text());
    EXPECT_EQ(301u, cut.cbCapacity);

    for (const Read* read : {&whole, &oneShort, &cut})
        EXPECT_EQ(std::string(140, '#'), read->buffer.substr(260)) << "nothing past the capacity";
    EXPECT_EQ("", LogMessages(m_logPath));
}

TEST_F(RegistryTest, MissingOrEmptyValuesTouchNothing)
{
    Set("empty", "", 0);
    for (const char* szName : {"missing", "empty"})
    {
        const Read read = ReadValue(szName);
        EXPECT_FALSE(read.bRead) << szName;
        EXPECT_EQ(260u, read.cbCapacity) << szName;
        EXPECT_EQ(std::string(400, '#'), read.buffer) << szName;
    }
}

TEST_F(RegistryTest, OddValuesStayWithinTheBuffer)
{
    // Stored without a terminator (as binary: the ANSI calls may add one to a
    // string on the way): the last byte is lost.
    Set("bare", "abc", 3, REG_BINARY);
    EXPECT_EQ("ab", ReadValue("bare").Text());

    // A number is copied up to its first zero byte.
    const DWORD dwValue = 0x00434241; // "ABC\0"
    Set("number", &dwValue, sizeof(dwValue), REG_DWORD);
    EXPECT_EQ("ABC", ReadValue("number").Text());

    // A capacity of 2 keeps no character; 1 and 0 write nothing at all.
    SetText("text", "xyz");
    const Read two = ReadValue("text", 2);
    EXPECT_TRUE(two.bRead);
    EXPECT_EQ(std::string("\0#", 2), two.buffer.substr(0, 2));
    EXPECT_EQ(4u, two.cbCapacity);
    for (DWORD cbCapacity : {1u, 0u})
    {
        const Read none = ReadValue("text", cbCapacity);
        EXPECT_FALSE(none.bRead);
        EXPECT_EQ(std::string(400, '#'), none.buffer);
        EXPECT_EQ(4u, none.cbCapacity);
    }
}

TEST_F(RegistryTest, AKeyThatCannotBeOpenedIsLoggedAndReadsNothing)
{
    {
        CRegistry registry("Software\\SetupLauncherTests\\Registry\\Missing", HKEY_CURRENT_USER, FALSE);
        EXPECT_EQ(nullptr, registry.m_hKey);
        EXPECT_EQ(HKEY_CURRENT_USER, registry.m_hRootKey);
        char  szBuffer[8] = "keep";
        DWORD cbCapacity  = sizeof(szBuffer);
        EXPECT_FALSE(registry.ReadString("anything", szBuffer, &cbCapacity));
        EXPECT_STREQ("keep", szBuffer);
        EXPECT_EQ(8u, cbCapacity);
    }
    EXPECT_EQ("CRegistry().  Oooops , Failed to open subKey Software\\SetupLauncherTests\\Registry\\Missing\n",
              LogMessages(m_logPath));
}

TEST_F(RegistryTest, OpensForReadingAndWritingAndCreatesOnRequest)
{
    // The key is opened with write access as well.
    {
        CRegistry registry(TEST_KEY, HKEY_CURRENT_USER, FALSE);
        ASSERT_NE(nullptr, registry.m_hKey);
        EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(registry.m_hKey, "written", 0, REG_SZ,
                                                reinterpret_cast<const BYTE*>("w"), 2));
    }
    EXPECT_EQ("w", ReadValue("written").Text());

    {
        CRegistry registry("Software\\SetupLauncherTests\\Registry\\Created", HKEY_CURRENT_USER, TRUE);
        EXPECT_NE(nullptr, registry.m_hKey);
        registry.Close();
        EXPECT_EQ(nullptr, registry.m_hKey);
        EXPECT_EQ(nullptr, registry.m_hRootKey);
        char  szBuffer[8];
        DWORD cbCapacity = sizeof(szBuffer);
        EXPECT_FALSE(registry.ReadString("written", szBuffer, &cbCapacity));
    }
    HKEY hCreated = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\SetupLauncherTests\\Registry\\Created", 0,
                                           KEY_READ, &hCreated));
    RegCloseKey(hCreated);
    EXPECT_EQ("", LogMessages(m_logPath));
}
