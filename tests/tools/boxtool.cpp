// Finds the launcher's message box, reports it and presses OK.
//   boxtool <timeout ms>
// Waits for a top-level dialog captioned "Setup", then prints (UTF-8, one
// field a line, tab-separated):
//   process <name of the program that owns it>
//   owner   <0 when the box has no owner window, else 1>
//   icon    present | none (the icon's kind is checked in-process: Wine's
//           shared system icons differ between processes)
//   buttons <ids of the visible push buttons>
//   text    <the message, line feeds written as \n>
// and presses OK. Exit code 0 when a box was found, 1 otherwise.
#include <stdio.h>
#include <windows.h>

#include <string>
#include <tlhelp32.h>

namespace {

BOOL CALLBACK FindBox(HWND hWnd, LPARAM lParam)
{
    char szClass[16] = {}, szTitle[16] = {};
    GetClassNameA(hWnd, szClass, sizeof(szClass));
    GetWindowTextA(hWnd, szTitle, sizeof(szTitle));
    if (strcmp(szClass, "#32770") == 0 && strcmp(szTitle, "Setup") == 0 && IsWindowVisible(hWnd))
    {
        *reinterpret_cast<HWND*>(lParam) = hWnd;
        return FALSE;
    }
    return TRUE;
}

std::string Utf8(const wchar_t* szText)
{
    char szBuffer[4096] = {};
    WideCharToMultiByte(CP_UTF8, 0, szText, -1, szBuffer, sizeof(szBuffer), nullptr, nullptr);
    return szBuffer;
}

std::string ProcessName(DWORD dwProcessId)
{
    HANDLE         hSnapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry     = {};
    entry.dwSize             = sizeof(entry);
    std::string    name;
    for (BOOL b = Process32First(hSnapshot, &entry); b; b = Process32Next(hSnapshot, &entry))
        if (entry.th32ProcessID == dwProcessId)
            name = entry.szExeFile;
    CloseHandle(hSnapshot);
    return name;
}

BOOL CALLBACK ListButton(HWND hWnd, LPARAM lParam)
{
    char szClass[16] = {};
    GetClassNameA(hWnd, szClass, sizeof(szClass));
    if (_stricmp(szClass, "Button") == 0 && IsWindowVisible(hWnd))
    {
        std::string& text = *reinterpret_cast<std::string*>(lParam);
        text += (text.empty() ? "" : ",") + std::to_string(GetDlgCtrlID(hWnd));
    }
    return TRUE;
}

const char* IconKind(HWND hBox)
{
    // Wine's message box keeps its icon in control 0x440, Windows' in 0x14.
    for (int nId : {0x440, 0x14})
        if (SendDlgItemMessageA(hBox, nId, STM_GETICON, 0, 0) != 0)
            return "present";
    return "none";
}

} // namespace

int main(int argc, char** argv)
{
    DWORD dwTimeout = argc > 1 ? strtoul(argv[1], nullptr, 10) : 30000;
    DWORD dwStart   = GetTickCount();
    HWND  hBox      = nullptr;
    while (hBox == nullptr && GetTickCount() - dwStart < dwTimeout)
    {
        EnumWindows(FindBox, reinterpret_cast<LPARAM>(&hBox));
        if (hBox == nullptr)
            Sleep(50);
    }
    if (hBox == nullptr)
        return 1;

    DWORD dwProcessId = 0;
    GetWindowThreadProcessId(hBox, &dwProcessId);
    wchar_t szText[2048] = {};
    GetDlgItemTextW(hBox, 0xFFFF, szText, 2048);
    std::string text = Utf8(szText), escaped;
    for (char ch : text)
        escaped += ch == '\n' ? std::string("\\n") : std::string(1, ch);
    std::string buttons;
    EnumChildWindows(hBox, ListButton, reinterpret_cast<LPARAM>(&buttons));

    printf("process\t%s\n", ProcessName(dwProcessId).c_str());
    printf("owner\t%d\n", GetWindow(hBox, GW_OWNER) != nullptr ? 1 : 0);
    printf("icon\t%s\n", IconKind(hBox));
    printf("buttons\t%s\n", buttons.c_str());
    printf("text\t%s\n", escaped.c_str());
    fflush(stdout);

    PostMessageA(hBox, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return 0;
}
