#include "discplan/plan/DiscView.h"

#include "discplan/codepage/CodePage.h"
#include "launcher/ProductTable.h"

namespace {

bool IsSeparator(char32_t ch) { return ch == '\\' || ch == '/'; }

std::vector<std::string> SplitPath(const std::string& path)
{
    std::vector<std::string> parts;
    std::string              part;
    for (char ch : path)
    {
        if (IsSeparator(static_cast<unsigned char>(ch)))
        {
            parts.push_back(part);
            part.clear();
        }
        else
            part += ch;
    }
    parts.push_back(part);
    return parts;
}

// Windows ignores blanks and dots at the end of a name.
std::string WindowsName(std::string name)
{
    while (!name.empty() && (name.back() == ' ' || name.back() == '.') && name != "." && name != "..")
        name.pop_back();
    return name;
}

// Wildcards and the other characters no Windows name holds: a path with one
// names nothing (a "?" is also what a character the code page cannot write
// becomes).
bool IsValidName(const std::string& name)
{
    for (unsigned char ch : name)
    {
        if (ch < 0x20 || std::string("*?<>|\":").find(static_cast<char>(ch)) != std::string::npos)
            return false;
    }
    return true;
}

} // namespace

CDiscView::CDiscView(const CDiscSource& source, const CCodePage& codePage, const std::string& at,
                     const std::string& launcher)
    : m_source(source), m_codePage(codePage), m_atText(FullPathText(at, "C:\\")), m_launcher(launcher)
{
    // The launcher names its folder through the Unicode name, converted into
    // a buffer of 260 bytes: a folder the code page cannot write, or one
    // whose bytes do not fit, goes by its short name.
    m_bAtWritable = codePage.Encode(m_atText, &m_at);
    m_bAtFits     = m_at.size() < PATH_SIZE;
}

std::string CDiscView::FullPathText(const std::string& path, const std::string& current)
{
    std::string drive;
    std::string rest;
    if (path.size() >= 2 && path[1] == ':')
    {
        drive = path.substr(0, 2);
        rest  = path.size() > 2 && IsSeparator(path[2]) ? path.substr(2) : current.substr(2) + "\\" + path.substr(2);
    }
    else if (!path.empty() && IsSeparator(path[0]))
    {
        drive = current.substr(0, 2);
        rest  = path;
    }
    else
    {
        drive = current.substr(0, 2);
        rest  = current.substr(2) + "\\" + path;
    }
    std::vector<std::string> kept;
    for (const std::string& part : SplitPath(rest))
    {
        const std::string name = WindowsName(part);
        if (name.empty() || name == ".")
            continue;
        if (name == "..")
        {
            if (!kept.empty())
                kept.pop_back();
            continue;
        }
        kept.push_back(name);
    }
    std::string full = drive + "\\";
    for (size_t i = 0; i < kept.size(); ++i)
        full += (i > 0 ? "\\" : "") + kept[i];
    // A trailing separator stays, as GetFullPathNameA keeps it.
    if (!kept.empty() && !path.empty() && IsSeparator(path.back()))
        full += "\\";
    return full;
}

std::string CDiscView::FullPath(const std::string& path, const std::string& current) const
{
    // The "A" function reads its bytes as Unicode text and writes the result
    // back in the code page.
    std::string full;
    m_codePage.Encode(FullPathText(m_codePage.Decode(path), m_codePage.Decode(current)), &full);
    return full;
}

int CDiscView::Locate(const std::string& fullPath, std::vector<std::string>* pFound, int* pbFolder) const
{
    pFound->clear();
    // The folder as the launcher wrote it: where the code page cannot write
    // it, its "?" stand in for the name on both sides.
    std::string full = m_codePage.Decode(fullPath);
    std::string at   = m_codePage.Decode(m_at);
    if (at.empty() || at.back() != '\\')
        at += "\\";
    const std::u32string foldedAt   = FoldCase(at);
    const std::u32string foldedFull = FoldCase(IsSeparator(full.empty() ? 0 : full.back()) ? full : full + "\\");
    if (foldedFull.compare(0, foldedAt.size(), foldedAt) != 0)
        return 0;
    const std::u32string points   = CodePoints(full);
    const std::string    relative = points.size() > foldedAt.size() ? Utf8(points.substr(foldedAt.size())) : "";

    int bFolder = 1;
    for (const std::string& part : SplitPath(relative))
    {
        const std::string name = WindowsName(part);
        if (name.empty())
            continue;
        if (!bFolder || !IsValidName(name))
            return 0;
        const DiscEntry* pEntry = nullptr;
        for (const DiscEntry& entry : Listed(*pFound))
        {
            if (SameName(entry.name, name))
            {
                pEntry = &entry;
                break;
            }
        }
        if (pEntry != nullptr)
        {
            pFound->push_back(pEntry->name);
            bFolder = pEntry->bFolder;
        }
        else if (pFound->empty() && SameName(name, m_launcher))
        {
            pFound->push_back(m_launcher);
            bFolder = 0;
        }
        else
            return 0;
    }
    if (pbFolder != nullptr)
        *pbFolder = bFolder;
    return 1;
}

int CDiscView::Exists(const std::string& path) const
{
    std::vector<std::string> found;
    return !path.empty() && Locate(FullPath(path, m_at), &found);
}

std::vector<DiscEntry> CDiscView::List(const std::string& relative) const
{
    std::vector<std::string> found;
    int                      bFolder = 0;
    if (!Locate(FullPath(relative, m_at), &found, &bFolder) || !bFolder)
        return std::vector<DiscEntry>();
    return Listed(found);
}

int CDiscView::ReadFile(const std::string& path, std::string* pBytes) const
{
    std::vector<std::string> found;
    int                      bFolder = 1;
    pBytes->clear();
    return !path.empty() && Locate(FullPath(path, m_at), &found, &bFolder) && !bFolder &&
           m_source.Read(found, pBytes);
}

const std::vector<DiscEntry>& CDiscView::Listed(const std::vector<std::string>& folder) const
{
    auto found = m_listed.find(folder);
    if (found != m_listed.end())
        return found->second;
    std::vector<DiscEntry>& entries = m_listed[folder];
    m_source.List(folder, &entries);
    return entries;
}
