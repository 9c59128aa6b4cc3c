// Bytes of an image: the image file, or (fuzzing, tests) an image held in
// memory. Every read names its offset and length and is checked against the
// image's size.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <map>
#include <string>

class CImageReader
{
public:
    virtual ~CImageReader() {}
    virtual uint64_t Size() const = 0;
    // cb bytes from nOffset into pBuffer; 0 unless all of them are in the
    // image and were read.
    virtual int Read(uint64_t nOffset, size_t cb, uint8_t* pBuffer) const = 0;
};

// An image file. Only a regular file is opened: a FIFO, a device or a
// socket is refused at once, without waiting for a writer.
class CImageFile : public CImageReader
{
public:
    CImageFile() {}
    ~CImageFile() override;
    CImageFile(const CImageFile&) = delete;
    CImageFile& operator=(const CImageFile&) = delete;

    // szPath in UTF-8. 0 with *pError, a few words ("not a regular file (a
    // FIFO)", "No such file or directory"), when it cannot be opened.
    int Open(const char* szPath, std::string* pError);

    uint64_t Size() const override { return m_cbSize; }
    int      Read(uint64_t nOffset, size_t cb, uint8_t* pBuffer) const override;

private:
    intptr_t m_hFile = -1; // a descriptor, or a Windows handle
    uint64_t m_cbSize = 0;
};

// An image in memory given as its blocks that are not all zeros (the form
// fuzzing and the hostile test images use): block number -> 2048 bytes.
class CSparseImage : public CImageReader
{
public:
    CSparseImage(uint64_t cbSize) : m_cbSize(cbSize) {}
    void SetBlock(uint64_t nBlock, const uint8_t* pBytes, size_t cb);

    uint64_t Size() const override { return m_cbSize; }
    int      Read(uint64_t nOffset, size_t cb, uint8_t* pBuffer) const override;

private:
    uint64_t                          m_cbSize;
    std::map<uint64_t, std::string>   m_blocks;
};
