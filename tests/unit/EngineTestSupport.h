// Engine files in a test common files folder, and a disc folder with
// recording stand-ins, for the engine and maintenance tests.
#pragma once

#include <string>
#include <vector>

// A common files folder of one test, made current in g_szCommonFilesDir,
// with the engine's folders in it.
class CEngineLayout
{
public:
    CEngineLayout() = default;
    explicit CEngineLayout(const std::string& name);

    // Puts the five engine files in their places, in the order of the test
    // (ctor.dll, iuser.dll, ikernel.exe, objectps.dll, iscript.dll): each a
    // copy of the named version file (tools/versions/<name>.dll), or none
    // where the name is null.
    void Lay(const std::vector<const char*>& files) const;

    // The engine folder as the first test names it, and a file in it.
    std::string CheckFolder() const;
    std::string CheckPath(int nFile) const;
    // A file of the engine folder as the test after the update names it.
    std::string UpdatePath(int nFile) const;
    // The script engine.
    std::string ScriptPath() const;

    // A version file of the tools folder.
    static std::string Source(const char* szName);

private:
    std::string m_common;
};

// One start that a recording stand-in recorded.
struct CRecord
{
    std::string path;
    std::string params; // the command line after the program's own path
    std::string cwd;
    int         nShow = -1;
    bool        bEnded = false;
};

// A disc folder made the current directory, with the stand-ins recording
// into a file of their own.
class CTestDisc
{
public:
    void Enter(const std::string& name);
    void Leave();

    const std::string& Folder() const { return m_folder; }

    // A stand-in at <disc>\<relative>, copying files (from|to) when run.
    std::string Program(const std::string& relative, const std::vector<std::string>& copies = {}) const;
    // The engine update program under a root folder of the disc.
    std::string UpdateProgram(const std::string& root, const std::vector<std::string>& copies) const;

    std::vector<CRecord> Records() const;

private:
    std::string m_previous;
    std::string m_folder;
    std::string m_record;
};

// Creates every missing folder of a path.
void CreateFolders(const std::string& path);
