// Helpers of the process, privilege and administrator tests: running
// stand-in programs under chosen names, and handing the launcher test
// libraries through the system library loader.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

// While it lives, LoadSystemLibrary loads the names it was given from test
// libraries (or fails for an empty path), and every other name as before.
// It records every name asked for.
class CLibraryOverride
{
public:
    CLibraryOverride();
    ~CLibraryOverride();

    // Loads szName from the tools folder's szLibrary ("" makes it fail).
    void Map(const std::string& name, const std::string& library);
    // The names LoadSystemLibrary was asked for, in order.
    const std::vector<std::string>& Asked() const;
};

// One message a stand-in's window recorded.
struct WindowMessage
{
    int         nWindow;
    std::string message;
};

// A copy of recorder.exe running under a chosen name in its own folder.
class CStandIn
{
public:
    // szName such as "IKernel.exe"; szBehaviour the lines of its [rec]
    // section, such as "windows=visible\nsleep=30000". Returns once the
    // program has done its start-up and opened its windows.
    CStandIn(const std::string& folder, const char* szName, const char* szBehaviour);
    ~CStandIn();

    DWORD ProcessId() const { return m_dwProcessId; }
    bool  IsRunning() const;
    // Waits up to dwMs for the process to end; true when it has.
    bool WaitForEnd(DWORD dwMs) const;
    // True when the program recorded that it ended by itself.
    bool EndedByItself() const;
    DWORD ExitCode() const;
    std::vector<WindowMessage> Messages() const;

private:
    std::string m_recordFile;
    HANDLE      m_hProcess;
    DWORD       m_dwProcessId;
};
