#include "discplan/image/ImageFile.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

CImageFile::~CImageFile()
{
    if (m_fd >= 0)
        close(m_fd);
}

int CImageFile::Open(const char* szPath)
{
    if (m_fd >= 0)
        close(m_fd);
    m_fd = open(szPath, O_RDONLY | O_CLOEXEC);
    if (m_fd < 0)
        return 0;
    struct stat info;
    if (fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode))
    {
        close(m_fd);
        m_fd = -1;
        errno = EINVAL;
        return 0;
    }
    m_cbSize = static_cast<uint64_t>(info.st_size);
    return 1;
}

int CImageFile::ReadBlock(uint32_t nBlock, uint8_t* pBlock) const
{
    if (nBlock >= Blocks())
        return 0;
    uint64_t nOffset = static_cast<uint64_t>(nBlock) * CD_BLOCK;
    return pread(m_fd, pBlock, CD_BLOCK, static_cast<off_t>(nOffset)) == static_cast<ssize_t>(CD_BLOCK);
}

int CImageFile::ReadAt(uint64_t nOffset, size_t cb, std::string* pBytes) const
{
    if (nOffset > m_cbSize || cb > m_cbSize - nOffset)
        return 0;
    pBytes->resize(cb);
    size_t cbDone = 0;
    while (cbDone < cb)
    {
        ssize_t n = pread(m_fd, &(*pBytes)[cbDone], cb - cbDone, static_cast<off_t>(nOffset + cbDone));
        if (n <= 0)
            return 0;
        cbDone += static_cast<size_t>(n);
    }
    return 1;
}
