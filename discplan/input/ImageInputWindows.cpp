// The Windows build reads no disc images: Debian packages the image
// libraries for Linux only, and Windows mounts an ISO image itself.
#include <windows.h>

#include "discplan/input/DiscInput.h"

std::unique_ptr<CImageInput> OpenImageInput(const std::string& path, std::string* pError)
{
    std::wstring wide(path.size() + 1, L'\0');
    const int    cch = MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, &wide[0], static_cast<int>(wide.size()));
    const DWORD  dwAttributes = cch > 0 ? GetFileAttributesW(wide.c_str()) : INVALID_FILE_ATTRIBUTES;
    if (dwAttributes == INVALID_FILE_ATTRIBUTES)
        *pError = "cannot read the disc folder " + path;
    else
        *pError = path + " is a file: this Windows build reads disc folders only; for a disc image, mount it "
                         "(Windows 8 and later mount one with a double-click) and give the drive, such as E:\\";
    return nullptr;
}
