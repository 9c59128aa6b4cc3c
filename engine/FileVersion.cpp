#include "engine/FileVersion.h"

#include <windows.h>

#include "engine/VersionLibrary.h"
#include "engine/VersionText.h"
#include "services/Format.h"
#include "services/Log.h"

namespace {

// A block of the process heap, released at the end of its owner's life.
class CHeapBlock
{
public:
    explicit CHeapBlock(DWORD cbSize) : m_pBlock(HeapAlloc(GetProcessHeap(), 0, cbSize)), m_cbSize(cbSize) {}
    ~CHeapBlock()
    {
        if (m_pBlock != nullptr)
            HeapFree(GetProcessHeap(), 0, m_pBlock);
    }

    void* Get() const { return m_pBlock; }

    // Readable bytes from pValue to the end of the block; 0 when pValue does
    // not lie inside it.
    size_t BytesFrom(const void* pValue) const
    {
        const BYTE* pStart = static_cast<const BYTE*>(m_pBlock);
        const BYTE* pAt    = static_cast<const BYTE*>(pValue);
        if (pStart == nullptr || pAt < pStart || pAt >= pStart + m_cbSize)
            return 0;
        return static_cast<size_t>(pStart + m_cbSize - pAt);
    }

private:
    void* m_pBlock;
    DWORD m_cbSize;

    CHeapBlock(const CHeapBlock&)            = delete;
    CHeapBlock& operator=(const CHeapBlock&) = delete;
};

} // namespace

int QueryFileVersion(const char* szFile, char* szVersion, size_t cchVersion)
{
    CVersionLibrary version;
    if (!version.IsReady() || szVersion == nullptr || cchVersion == 0)
        return 0;

    const DWORD cbBlock = version.GetFileVersionInfoSize(szFile);
    if (cbBlock == 0)
        return 0;
    CHeapBlock block(cbBlock);
    if (block.Get() == nullptr || !version.GetFileVersionInfo(szFile, cbBlock, block.Get()))
        return 0;

    void* pTranslation  = nullptr;
    UINT  cbTranslation = 0;
    if (!version.VerQueryValue(block.Get(), "\\VarFileInfo\\Translation", &pTranslation, &cbTranslation) ||
        cbTranslation < 4 || block.BytesFrom(pTranslation) < 4)
        return 0;

    // The first entry: a 16-bit language, then a 16-bit code page.
    const BYTE* pEntry    = static_cast<const BYTE*>(pTranslation);
    const UINT  nLanguage = pEntry[0] | (pEntry[1] << 8);
    const UINT  nCodePage = pEntry[2] | (pEntry[3] << 8);
    char        szSubBlock[MAX_PATH];
    FormatBounded(szSubBlock, sizeof(szSubBlock), "\\StringFileInfo\\%04x%04x\\FileVersion", nLanguage,
                  nCodePage);

    void* pText  = nullptr;
    UINT  cchText = 0;
    if (!version.VerQueryValue(block.Get(), szSubBlock, &pText, &cchText) || pText == nullptr)
        return 0;
    // The "A" query converts a Unicode resource's text into the block's spare
    // half, so the text lies in the block; a broken resource may leave it
    // unterminated, and the copy never reads past the block's end. Were the
    // text ever elsewhere, its reported length bounds the copy instead.
    size_t cbReadable = block.BytesFrom(pText);
    if (cbReadable == 0)
        cbReadable = cchText;
    CopyTextWithin(szVersion, cchVersion, static_cast<const char*>(pText), cbReadable);
    return szVersion[0] != '\0' ? 1 : 0;
}

int CheckFileVersion(const char* szRequired, const char* szFile)
{
    // A file without a version text leaves the buffer empty: it is outdated.
    char szFound[VERSION_TEXT_SIZE] = {};
    QueryFileVersion(szFile, szFound, sizeof(szFound));

    // Byte by byte is safe in the double-byte code pages too: no trail byte
    // lies below 0x40, so a blank or a comma is always a character of its own.
    NormalizeVersionText(szFound);

    WriteLog("%s %s %s\n", szRequired, szFound, szFile);
    return IsVersionCurrent(szRequired, szFound);
}
