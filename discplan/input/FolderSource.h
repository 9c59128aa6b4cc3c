// A disc laid out in a folder of this machine: names as the file system
// lists them (UTF-8 on Linux, the wide functions' names on Windows).
#pragma once

#include <string>
#include <vector>

#include "discplan/input/DiscSource.h"

class CFolderSource : public CDiscSource
{
public:
    // root: the folder, a path of this machine in UTF-8. 0 when it is no
    // folder or cannot be read.
    int Open(const std::string& root);

    // 1 when path is a folder of this machine (readable or not).
    static int IsFolder(const std::string& path);

    int List(const std::vector<std::string>& path, std::vector<DiscEntry>* pEntries) const override;
    int Read(const std::vector<std::string>& path, std::string* pBytes) const override;

private:
    // The path of this machine for a path of the disc; empty when a name
    // could leave the folder ("..", a separator) or is empty.
    std::string Join(const std::vector<std::string>& path) const;

    std::string m_root;
};
