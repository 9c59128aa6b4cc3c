#include "discfs/ImageReader.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* KindOf(mode_t mode)
{
    return S_ISFIFO(mode) ? "a FIFO" : S_ISSOCK(mode) ? "a socket" : S_ISCHR(mode) ? "a character device"
         : S_ISBLK(mode)  ? "a block device" : S_ISDIR(mode) ? "a folder" : "not a file";
}

} // namespace

CImageFile::~CImageFile()
{
    if (m_hFile >= 0)
        close(static_cast<int>(m_hFile));
}

int CImageFile::Open(const char* szPath, std::string* pError)
{
    // What the name is comes first, without opening it: opening a FIFO for
    // reading waits for a writer.
    struct stat info;
    if (stat(szPath, &info) != 0)
    {
        *pError = strerror(errno);
        return 0;
    }
    if (!S_ISREG(info.st_mode))
    {
        *pError = std::string("not a regular file (") + KindOf(info.st_mode) + ")";
        return 0;
    }
    // O_NONBLOCK as well: the name may have been replaced by a FIFO since.
    const int fd = open(szPath, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
    {
        *pError = strerror(errno);
        return 0;
    }
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
    {
        *pError = std::string("not a regular file (") + KindOf(info.st_mode) + ")";
        close(fd);
        return 0;
    }
    if (m_hFile >= 0)
        close(static_cast<int>(m_hFile));
    m_hFile = fd;
    m_cbSize = static_cast<uint64_t>(info.st_size);
    return 1;
}

int CImageFile::Read(uint64_t nOffset, size_t cb, uint8_t* pBuffer) const
{
    if (m_hFile < 0 || nOffset > m_cbSize || cb > m_cbSize - nOffset)
        return 0;
    size_t cbDone = 0;
    while (cbDone < cb)
    {
        const ssize_t n = pread(static_cast<int>(m_hFile), pBuffer + cbDone, cb - cbDone,
                                static_cast<off_t>(nOffset + cbDone));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return 0;
        cbDone += static_cast<size_t>(n);
    }
    return 1;
}
