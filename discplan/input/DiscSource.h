// Where discplan reads a disc from: a folder of this machine, or one tree of
// a disc image as one kind of Windows reads it. Names are Unicode text in
// UTF-8, as that system lists them; everything above this interface (the
// names Setup.exe can reach in a code page, the plan, the findings) knows
// nothing else of where the names come from.
#pragma once

#include <string>
#include <vector>

struct DiscEntry
{
    std::string name;            // UTF-8, as the system lists it
    bool        bFolder = false;
};

class CDiscSource
{
public:
    virtual ~CDiscSource() {}

    // The entries of the folder at path (names exactly as this source lists
    // them, from the root; an empty path is the root). 0 when there is no
    // such folder or it cannot be read.
    virtual int List(const std::vector<std::string>& path, std::vector<DiscEntry>* pEntries) const = 0;

    // The bytes of the file at path. 0 when there is no such file or it
    // cannot be read.
    virtual int Read(const std::vector<std::string>& path, std::string* pBytes) const = 0;
};
