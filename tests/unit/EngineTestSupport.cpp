#include "EngineTestSupport.h"

#include <windows.h>

#include <stdio.h>

#include "TestSupport.h"
#include "launcher/Globals.h"

namespace {

const char* const ENGINE_FILE_NAMES[] = {"ctor.dll", "iuser.dll", "ikernel.exe", "objectps.dll"};

std::string CurrentFolder()
{
    char szCwd[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, szCwd);
    return szCwd;
}

} // namespace

void CreateFolders(const std::string& path)
{
    for (size_t pos = path.find('\\', 3); pos != std::string::npos; pos = path.find('\\', pos + 1))
        CreateDirectoryA(path.substr(0, pos).c_str(), nullptr);
    CreateDirectoryA(path.c_str(), nullptr);
}

CEngineLayout::CEngineLayout(const std::string& name) : m_common(FreshFolder(("cf_" + name).c_str()))
{
    snprintf(g_szCommonFilesDir, MAX_PATH, "%s", m_common.c_str());
    // The folders carry the spelling of the test after the update; the first
    // test's upper-case spelling finds them because Windows ignores case.
    CreateFolders(m_common + "\\InstallShield\\Engine\\6\\Intel 32");
    CreateFolders(m_common + "\\InstallShield\\IScript");
}

void CEngineLayout::Lay(const std::vector<const char*>& files) const
{
    for (size_t i = 0; i < files.size() && i < 5; ++i)
    {
        const std::string target = i < 4 ? UpdatePath(static_cast<int>(i)) : ScriptPath();
        DeleteFileA(target.c_str());
        if (files[i] != nullptr)
            CopyFileA(Source(files[i]).c_str(), target.c_str(), FALSE);
    }
}

std::string CEngineLayout::CheckFolder() const { return m_common + "\\INSTALLSHIELD\\ENGINE\\6\\intel 32"; }

std::string CEngineLayout::CheckPath(int nFile) const { return CheckFolder() + "\\" + ENGINE_FILE_NAMES[nFile]; }

std::string CEngineLayout::UpdatePath(int nFile) const
{
    return m_common + "\\InstallShield\\Engine\\6\\Intel 32\\" + ENGINE_FILE_NAMES[nFile];
}

std::string CEngineLayout::ScriptPath() const { return m_common + "\\InstallShield\\IScript\\iscript.dll"; }

std::string CEngineLayout::Source(const char* szName)
{
    return ToolPath((std::string("versions\\") + szName + ".dll").c_str());
}

void CTestDisc::Enter(const std::string& name)
{
    m_previous = CurrentFolder();
    m_folder   = FreshFolder(("disc_" + name).c_str());
    m_record   = m_previous + "\\disc_" + name + ".record";
    DeleteFileA(m_record.c_str());
    SetEnvironmentVariableA("RECORD_FILE", m_record.c_str());
    SetCurrentDirectoryA(m_folder.c_str());
}

void CTestDisc::Leave()
{
    SetCurrentDirectoryA(m_previous.c_str());
    SetEnvironmentVariableA("RECORD_FILE", nullptr);
}

std::string CTestDisc::Program(const std::string& relative, const std::vector<std::string>& copies) const
{
    const std::string path = m_folder + "\\" + relative;
    CreateFolders(path.substr(0, path.rfind('\\')));
    CopyFileA(ToolPath("recorder.exe").c_str(), path.c_str(), FALSE);
    std::string rec = "[rec]\r\n";
    for (size_t i = 0; i < copies.size(); ++i)
        rec += "copy" + std::to_string(i + 1) + "=" + copies[i] + "\r\n";
    WriteFileText(path + ".rec", rec);
    return path;
}

std::string CTestDisc::UpdateProgram(const std::string& root, const std::vector<std::string>& copies) const
{
    return Program(root + "\\IKernelUpdate\\Setup.exe", copies);
}

std::vector<CRecord> CTestDisc::Records() const
{
    std::vector<CRecord> records;
    const std::string    text = ReadFileText(m_record);
    size_t               pos  = 0;
    while (pos < text.size())
    {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        std::vector<std::string> fields;
        std::string              line = text.substr(pos, end - pos);
        for (size_t start = 0;;)
        {
            const size_t tab = line.find('\t', start);
            fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
            if (tab == std::string::npos)
                break;
            start = tab + 1;
        }
        pos = end + 1;

        if (fields[0] == "start" && fields.size() == 6)
        {
            CRecord record;
            record.path = fields[2];
            std::string cmdline = fields[3];
            std::string rest;
            if (!cmdline.empty() && cmdline[0] == '"')
                rest = cmdline.substr(cmdline.find('"', 1) + 1);
            else
                rest = cmdline.substr(cmdline.find(' ') == std::string::npos ? cmdline.size() : cmdline.find(' '));
            record.params = !rest.empty() && rest[0] == ' ' ? rest.substr(1) : rest;
            record.cwd    = fields[4];
            record.nShow  = atoi(fields[5].c_str());
            records.push_back(record);
        }
        else if (fields[0] == "end" && !records.empty())
        {
            records.back().bEnded = true;
        }
    }
    return records;
}
