// A span of bytes read from the image (a block, a folder's extent, a
// descriptor) and checked reads of its fields. A field that does not lie
// inside the span reads as 0: nothing is ever read past its end. Readers
// check a structure's whole size with Has() once, where they read it.
#pragma once

#include <stddef.h>
#include <stdint.h>

class CSpan
{
public:
    CSpan() {}
    CSpan(const uint8_t* pData, size_t cbSize) : m_pData(pData), m_cbSize(pData ? cbSize : 0) {}

    const uint8_t* Data() const { return m_pData; }
    size_t         Size() const { return m_cbSize; }

    // [nOffset, nOffset + cb) lies inside the span; no sum that can overflow.
    bool Has(size_t nOffset, size_t cb) const { return nOffset <= m_cbSize && cb <= m_cbSize - nOffset; }

    // The part [nOffset, nOffset + cb), or an empty span when it does not
    // lie inside.
    CSpan Sub(size_t nOffset, size_t cb) const { return Has(nOffset, cb) ? CSpan(m_pData + nOffset, cb) : CSpan(); }

    uint8_t  U8(size_t n) const { return Has(n, 1) ? m_pData[n] : 0; }
    uint16_t Le16(size_t n) const { return Has(n, 2) ? static_cast<uint16_t>(m_pData[n] | (m_pData[n + 1] << 8)) : 0; }
    uint32_t Le32(size_t n) const
    {
        return Has(n, 4) ? (m_pData[n] | (m_pData[n + 1] << 8) | (m_pData[n + 2] << 16) |
                            (static_cast<uint32_t>(m_pData[n + 3]) << 24))
                         : 0;
    }
    uint64_t Le64(size_t n) const
    {
        return Has(n, 8) ? (Le32(n) | (static_cast<uint64_t>(Le32(n + 4)) << 32)) : 0;
    }
    uint16_t Be16(size_t n) const { return Has(n, 2) ? static_cast<uint16_t>((m_pData[n] << 8) | m_pData[n + 1]) : 0; }
    uint32_t Be32(size_t n) const
    {
        return Has(n, 4) ? ((static_cast<uint32_t>(m_pData[n]) << 24) | (m_pData[n + 1] << 16) |
                            (m_pData[n + 2] << 8) | m_pData[n + 3])
                         : 0;
    }

private:
    const uint8_t* m_pData = nullptr;
    size_t         m_cbSize = 0;
};
