// Splits a fuzzer's input into the pieces a target needs.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>

class CFuzzInput
{
public:
    CFuzzInput(const uint8_t* pData, size_t cbData) : m_pData(pData), m_cbData(cbData) {}

    // The next byte, or 0 when the input is used up.
    uint8_t Byte()
    {
        if (m_cbData == 0)
            return 0;
        --m_cbData;
        return *m_pData++;
    }

    uint32_t Word() { return Byte() | (Byte() << 8) | (Byte() << 16) | (static_cast<uint32_t>(Byte()) << 24); }

    // Text up to the next zero byte (or the end of the input).
    std::string Text()
    {
        std::string text;
        while (m_cbData > 0)
        {
            char ch = static_cast<char>(Byte());
            if (ch == '\0')
                break;
            text += ch;
        }
        return text;
    }

private:
    const uint8_t* m_pData;
    size_t         m_cbData;
};
