#include "discplan/input/FolderSource.h"

#include <stdio.h>

#include "discplan/codepage/CodePage.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <sys/stat.h>
#endif

namespace {

#ifdef _WIN32
const char SEPARATOR = '\\';

std::wstring Wide(const std::string& text)
{
    std::wstring wide;
    const int    cch = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (cch > 0)
    {
        wide.assign(cch, L'\0');
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], cch);
    }
    return wide;
}

std::string Narrow(const wchar_t* wszText)
{
    const int   cb = WideCharToMultiByte(CP_UTF8, 0, wszText, -1, nullptr, 0, nullptr, nullptr);
    std::string text(cb > 0 ? cb : 1, '\0');
    if (cb > 0)
        WideCharToMultiByte(CP_UTF8, 0, wszText, -1, &text[0], cb, nullptr, nullptr);
    text.resize(text.size() - 1);
    return text;
}

bool IsFolder(const std::string& path)
{
    const DWORD dwAttributes = GetFileAttributesW(Wide(path).c_str());
    return dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

FILE* OpenFile(const std::string& path) { return _wfopen(Wide(path).c_str(), L"rb"); }
#else
const char SEPARATOR = '/';

bool IsFolder(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

FILE* OpenFile(const std::string& path) { return fopen(path.c_str(), "rb"); }
#endif

} // namespace

int CFolderSource::IsFolder(const std::string& path) { return ::IsFolder(path); }

int CFolderSource::Open(const std::string& root)
{
    m_root = root;
    std::vector<DiscEntry> entries;
    return IsFolder(root) && List({}, &entries);
}

std::string CFolderSource::Join(const std::vector<std::string>& path) const
{
    std::string joined = m_root;
    for (const std::string& name : path)
    {
        if (name.empty() || name == "." || name == ".." || name.find_first_of("/\\") != std::string::npos)
            return std::string();
        joined += SEPARATOR + name;
    }
    return joined;
}

int CFolderSource::List(const std::vector<std::string>& path, std::vector<DiscEntry>* pEntries) const
{
    pEntries->clear();
    const std::string folder = Join(path);
    if (folder.empty())
        return 0;
#ifdef _WIN32
    WIN32_FIND_DATAW data;
    HANDLE           hFind = FindFirstFileW(Wide(folder + "\\*").c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE)
        return 0;
    do
    {
        const std::string name = Narrow(data.cFileName);
        if (name != "." && name != "..")
            pEntries->push_back({name, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileW(hFind, &data));
    FindClose(hFind);
#else
    DIR* pDir = opendir(folder.c_str());
    if (pDir == nullptr)
        return 0;
    while (dirent* pEntry = readdir(pDir))
    {
        const std::string name = pEntry->d_name;
        // A name that is not UTF-8 has no Unicode form for Windows to see.
        if (name == "." || name == ".." || !IsUtf8(name))
            continue;
        pEntries->push_back({name, ::IsFolder(folder + "/" + name)});
    }
    closedir(pDir);
#endif
    return 1;
}

int CFolderSource::Read(const std::vector<std::string>& path, std::string* pBytes) const
{
    pBytes->clear();
    const std::string file = Join(path);
    if (file.empty() || IsFolder(file))
        return 0;
    FILE* pFile = OpenFile(file);
    if (pFile == nullptr)
        return 0;
    char   buffer[4096];
    size_t nRead;
    while ((nRead = fread(buffer, 1, sizeof(buffer), pFile)) > 0)
        pBytes->append(buffer, nRead);
    fclose(pFile);
    return 1;
}
