// A disc as Setup.exe sees it on a system of one ANSI code page: its paths
// are bytes of the code page, which Windows reads as Unicode text and finds
// among the disc's names without regard to case, blanks and dots at the end
// of a name ignored. A name the code page cannot write is never reached.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "discplan/input/DiscSource.h"

class CCodePage;

class CDiscView
{
public:
    // at: the Windows folder the disc will be at ("D:\"), launcher: the
    // launcher's name at the root, which counts as present whether or not the
    // source holds it yet; both UTF-8.
    CDiscView(const CDiscSource& source, const CCodePage& codePage, const std::string& at, const std::string& launcher);

    const CCodePage& CodePage() const { return m_codePage; }

    // The launcher's folder as the launcher writes it, in the code page.
    const std::string& At() const { return m_at; }
    // 0 when the code page cannot write the folder's name, or its bytes in
    // the code page pass 259: the launcher then works from the folder's
    // short name, which no plan can know.
    int AtWritable() const { return m_bAtWritable && m_bAtFits; }
    // 0 when the code page can write the folder's name but not in 259 bytes.
    int AtFits() const { return m_bAtFits; }
    // The folder's name as given (UTF-8).
    const std::string& AtText() const { return m_atText; }

    // The full Windows path of path against the Windows folder current, both
    // in the code page, as GetFullPathNameA makes it.
    std::string FullPath(const std::string& path, const std::string& current) const;
    // The same over Unicode text (UTF-8).
    static std::string FullPathText(const std::string& path, const std::string& current);

    // The path in the source (names as it lists them) of a full Windows path
    // on the disc; 0 when the path is not on the disc or names nothing there.
    int Locate(const std::string& fullPath, std::vector<std::string>* pFound, int* pbFolder = nullptr) const;

    // 1 when path (relative to the launcher's folder, or full) names a file
    // or folder of the disc, as PathFileExistsA tells.
    int Exists(const std::string& path) const;

    // The entries of a disc folder (a path relative to the launcher's folder;
    // empty: the root), names as the source lists them.
    std::vector<DiscEntry> List(const std::string& relative) const;

    // The bytes of the file at path (as for Exists); 0 when it is no file.
    int ReadFile(const std::string& path, std::string* pBytes) const;

private:
    const std::vector<DiscEntry>& Listed(const std::vector<std::string>& folder) const;

    const CDiscSource& m_source;
    const CCodePage&   m_codePage;
    std::string        m_atText;
    std::string        m_at;
    int                m_bAtWritable = 1;
    int                m_bAtFits     = 1;
    std::string        m_launcher;
    // Each folder listed once per view.
    mutable std::map<std::vector<std::string>, std::vector<DiscEntry>> m_listed;
};
