#include "discfs/ImageReader.h"

#include <windows.h>

namespace {

std::wstring Wide(const char* szUtf8)
{
    const int cch = MultiByteToWideChar(CP_UTF8, 0, szUtf8, -1, nullptr, 0);
    std::wstring text(cch > 0 ? static_cast<size_t>(cch) : 1, L'\0');
    if (cch <= 0 || !MultiByteToWideChar(CP_UTF8, 0, szUtf8, -1, &text[0], cch))
        return std::wstring();
    text.resize(static_cast<size_t>(cch - 1));
    return text;
}

std::string SystemMessage(DWORD dwError)
{
    char   sz[256];
    DWORD  cch = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, dwError, 0, sz,
                                sizeof(sz), nullptr);
    while (cch > 0 && (sz[cch - 1] == '\n' || sz[cch - 1] == '\r' || sz[cch - 1] == '.'))
        --cch;
    return cch ? std::string(sz, cch) : "error " + std::to_string(dwError);
}

} // namespace

CImageFile::~CImageFile()
{
    if (m_hFile != -1)
        CloseHandle(reinterpret_cast<HANDLE>(m_hFile));
}

int CImageFile::Open(const char* szPath, std::string* pError)
{
    const std::wstring path = Wide(szPath);
    const DWORD        dwAttributes = GetFileAttributesW(path.c_str());
    if (dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & FILE_ATTRIBUTE_DIRECTORY))
    {
        *pError = "not a regular file (a folder)";
        return 0;
    }
    // A named pipe opened for reading does not wait for a writer on
    // Windows, but reading it would: its type is checked before any read.
    HANDLE hFile = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_FLAG_RANDOM_ACCESS, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
    {
        *pError = SystemMessage(GetLastError());
        return 0;
    }
    LARGE_INTEGER size;
    const DWORD   dwType = GetFileType(hFile);
    if (dwType != FILE_TYPE_DISK || !GetFileSizeEx(hFile, &size) || size.QuadPart < 0)
    {
        *pError = dwType == FILE_TYPE_PIPE ? "not a regular file (a pipe)"
                : dwType == FILE_TYPE_CHAR ? "not a regular file (a character device)"
                                           : "not a regular file";
        CloseHandle(hFile);
        return 0;
    }
    if (m_hFile != -1)
        CloseHandle(reinterpret_cast<HANDLE>(m_hFile));
    m_hFile = reinterpret_cast<intptr_t>(hFile);
    m_cbSize = static_cast<uint64_t>(size.QuadPart);
    return 1;
}

int CImageFile::Read(uint64_t nOffset, size_t cb, uint8_t* pBuffer) const
{
    if (m_hFile == -1 || nOffset > m_cbSize || cb > m_cbSize - nOffset)
        return 0;
    size_t cbDone = 0;
    while (cbDone < cb)
    {
        OVERLAPPED at = {};
        const uint64_t nAt = nOffset + cbDone;
        at.Offset = static_cast<DWORD>(nAt);
        at.OffsetHigh = static_cast<DWORD>(nAt >> 32);
        const size_t cbLeft = cb - cbDone;
        DWORD        cbRead = 0;
        if (!ReadFile(reinterpret_cast<HANDLE>(m_hFile), pBuffer + cbDone,
                      cbLeft > 0x40000000 ? 0x40000000 : static_cast<DWORD>(cbLeft), &cbRead, &at) ||
            cbRead == 0)
            return 0;
        cbDone += cbRead;
    }
    return 1;
}
