// Entry point and shared helpers of the Wine unit tests.
#include <gtest/gtest.h>
#include <shlwapi.h>

#include <stdio.h>

#include "TestSupport.h"
#include "services/Log.h"

std::string ToolPath(const char* szName)
{
    char szModule[MAX_PATH];
    GetModuleFileNameA(nullptr, szModule, MAX_PATH);
    PathRemoveFileSpecA(szModule);
    // Test programs live in <build>/tests/unit, the tools in <build>/tools.
    return std::string(szModule) + "\\..\\..\\tools\\" + szName;
}

namespace {

void RemoveTree(const std::string& path)
{
    WIN32_FIND_DATAA data;
    HANDLE           hFind = FindFirstFileA((path + "\\*").c_str(), &data);
    if (hFind != INVALID_HANDLE_VALUE)
    {
        do
        {
            std::string name = data.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string child = path + "\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
            {
                SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(child.c_str());
            }
        } while (FindNextFileA(hFind, &data));
        FindClose(hFind);
    }
    RemoveDirectoryA(path.c_str());
}

} // namespace

std::string FreshFolder(const char* szName)
{
    char szCwd[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, szCwd);
    std::string path = std::string(szCwd) + "\\" + szName;
    RemoveTree(path);
    CreateDirectoryA(path.c_str(), nullptr);
    return path;
}

std::string ReadFileText(const std::string& path)
{
    std::string text;
    FILE*       pFile = fopen(path.c_str(), "rb");
    if (pFile == nullptr)
        return text;
    char   buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof(buffer), pFile)) > 0)
        text.append(buffer, n);
    fclose(pFile);
    return text;
}

void WriteFileText(const std::string& path, const std::string& text)
{
    FILE* pFile = fopen(path.c_str(), "wb");
    if (pFile == nullptr)
        return;
    fwrite(text.data(), 1, text.size(), pFile);
    fclose(pFile);
}

HANDLE StartProcess(const std::string& commandLine)
{
    STARTUPINFOA        si = {};
    PROCESS_INFORMATION pi = {};
    si.cb                  = sizeof(si);
    std::string line       = commandLine;
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return nullptr;
    CloseHandle(pi.hThread);
    return pi.hProcess;
}

int RunProcess(const std::string& commandLine, DWORD dwTimeoutMs)
{
    HANDLE hProcess = StartProcess(commandLine);
    if (hProcess == nullptr)
        return -1;
    DWORD dwExit = static_cast<DWORD>(-1);
    if (WaitForSingleObject(hProcess, dwTimeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(hProcess, &dwExit);
    CloseHandle(hProcess);
    return static_cast<int>(dwExit);
}

std::string UseTestLog(const char* szName)
{
    char szCwd[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, szCwd);
    std::string path = std::string(szCwd) + "\\" + szName + ".log";
    DeleteFileA(path.c_str());
    snprintf(g_szLogPath, MAX_PATH, "%s", path.c_str());
    return path;
}

std::string LogMessages(const std::string& path)
{
    std::string text = ReadFileText(path);
    std::string messages;
    size_t      pos = 0;
    while (pos < text.size())
    {
        // Each entry starts with "[MM/DD/YYYY HH:MM:SS] - "; continuation lines
        // (a message with several line feeds) have no stamp.
        size_t end = text.find("\r\n", pos);
        end        = end == std::string::npos ? text.size() : end + 2;
        std::string line = text.substr(pos, end - pos);
        if (line.size() >= 24 && line[0] == '[' && line.compare(21, 3, " - ") == 0)
            line = line.substr(24);
        messages += line;
        pos = end;
    }
    // Back from the file's CR LF to the messages' own line feeds.
    std::string result;
    for (size_t i = 0; i < messages.size(); ++i)
        if (!(messages[i] == '\r' && i + 1 < messages.size() && messages[i + 1] == '\n'))
            result += messages[i];
    return result;
}

// Wine answers GetProcessHandleCount with 0, so the handle table is walked:
// handle values are multiples of 4, and GetHandleInformation succeeds exactly
// for the open ones.
DWORD HandleCount()
{
    DWORD dwCount = 0;
    for (ULONG_PTR nValue = 4; nValue < 0x10000; nValue += 4)
    {
        DWORD dwFlags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(nValue), &dwFlags))
            ++dwCount;
    }
    return dwCount;
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
