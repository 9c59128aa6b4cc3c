#include "discplan/output/OutputFile.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

FILE* OpenForWriting(const std::string& path)
{
#ifdef _WIN32
    // The "A" functions would lose every character the code page cannot write.
    const int cch = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.c_str(), -1, nullptr, 0);
    if (cch <= 0)
    {
        errno = EINVAL;
        return nullptr;
    }
    std::wstring wide(cch, L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.c_str(), -1, &wide[0], cch);
    return _wfopen(wide.c_str(), L"wb");
#else
    return fopen(path.c_str(), "wb");
#endif
}

} // namespace

int WriteOutputFile(const std::string& path, const std::string& text, std::string* pError)
{
    FILE* pFile = path.empty() ? nullptr : OpenForWriting(path);
    if (pFile == nullptr)
    {
        *pError = path.empty() ? "no file name" : strerror(errno);
        return 0;
    }
    errno               = 0;
    const bool bWritten = fwrite(text.data(), 1, text.size(), pFile) == text.size();
    const int  nError   = errno;
    // A full disc may show only when the buffer is flushed.
    if (fclose(pFile) != 0 || !bWritten)
    {
        *pError = strerror(nError != 0 ? nError : errno != 0 ? errno : EIO);
        return 0;
    }
    return 1;
}
