// The image file, read in 2048-byte blocks at any place.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>

const size_t CD_BLOCK = 2048;

class CImageFile
{
public:
    CImageFile() {}
    ~CImageFile();
    CImageFile(const CImageFile&) = delete;
    CImageFile& operator=(const CImageFile&) = delete;

    // 0 with errno set when the file cannot be opened or is not a regular file.
    int Open(const char* szPath);

    int      Descriptor() const { return m_fd; }
    uint64_t Size() const { return m_cbSize; }
    uint32_t Blocks() const { return static_cast<uint32_t>(m_cbSize / CD_BLOCK); }

    // Block nBlock whole into pBlock (CD_BLOCK bytes); 0 when it lies past
    // the end of the file or cannot be read.
    int ReadBlock(uint32_t nBlock, uint8_t* pBlock) const;

    // cb bytes from byte offset; 0 unless all of them are in the file.
    int ReadAt(uint64_t nOffset, size_t cb, std::string* pBytes) const;

private:
    int      m_fd = -1;
    uint64_t m_cbSize = 0;
};

// Little-endian fields of the on-disc structures.
inline uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t Le32(const uint8_t* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline uint64_t Le64(const uint8_t* p) { return Le32(p) | (static_cast<uint64_t>(Le32(p + 4)) << 32); }
