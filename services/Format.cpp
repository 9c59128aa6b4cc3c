#include "services/Format.h"

namespace {

// Appends to the destination while counting the full length of the text.
struct CBoundedWriter
{
    char*  m_pDest;
    size_t m_cbDest;
    size_t m_nLength;

    void Put(char ch)
    {
        if (m_cbDest != 0 && m_nLength < m_cbDest - 1)
            m_pDest[m_nLength] = ch;
        ++m_nLength;
    }

    void Repeat(char ch, int nCount)
    {
        for (int i = 0; i < nCount; ++i)
            Put(ch);
    }
};

// Writes an unsigned number in the given base, padded to nWidth with chPad.
void PutNumber(CBoundedWriter& writer, unsigned long nValue, unsigned nBase, bool bUpper,
               bool bNegative, int nWidth, char chPad)
{
    const char* szDigits = bUpper ? "0123456789ABCDEF" : "0123456789abcdef";
    char        digits[24];
    int         nDigits = 0;
    do
    {
        digits[nDigits++] = szDigits[nValue % nBase];
        nValue /= nBase;
    } while (nValue != 0);

    int nTotal = nDigits + (bNegative ? 1 : 0);
    if (chPad == '0')
    {
        if (bNegative)
            writer.Put('-');
        writer.Repeat('0', nWidth - nTotal);
    }
    else
    {
        writer.Repeat(' ', nWidth - nTotal);
        if (bNegative)
            writer.Put('-');
    }
    while (nDigits > 0)
        writer.Put(digits[--nDigits]);
}

} // namespace

size_t FormatBoundedV(char* pDest, size_t cbDest, const char* szFormat, va_list args)
{
    CBoundedWriter writer = {pDest, cbDest, 0};
    const char*    p      = szFormat ? szFormat : "";

    while (*p != '\0')
    {
        if (*p != '%')
        {
            writer.Put(*p++);
            continue;
        }
        const char* szStart = p++;
        char        chPad   = ' ';
        int         nWidth  = 0;
        if (*p == '0')
        {
            chPad = '0';
            ++p;
        }
        // Every digit belongs to the width; a huge width saturates.
        for (; *p >= '0' && *p <= '9'; ++p)
            nWidth = nWidth < 1000 ? nWidth * 10 + (*p - '0') : nWidth;
        while (*p == 'l' || *p == 'h')
            ++p;

        switch (*p)
        {
        case '%':
            writer.Put('%');
            break;
        case 's':
        {
            const char* sz = va_arg(args, const char*);
            if (sz == nullptr)
                sz = "(null)";
            int nLength = 0;
            while (sz[nLength] != '\0')
                ++nLength;
            writer.Repeat(' ', nWidth - nLength);
            for (int i = 0; i < nLength; ++i)
                writer.Put(sz[i]);
            break;
        }
        case 'c':
            writer.Put(static_cast<char>(va_arg(args, int)));
            break;
        case 'd':
        case 'i':
        {
            int  nValue    = va_arg(args, int);
            bool bNegative = nValue < 0;
            // Negate in unsigned arithmetic so INT_MIN stays defined.
            unsigned nMagnitude = bNegative ? 0u - static_cast<unsigned>(nValue)
                                            : static_cast<unsigned>(nValue);
            PutNumber(writer, nMagnitude, 10, false, bNegative, nWidth, chPad);
            break;
        }
        case 'u':
            PutNumber(writer, va_arg(args, unsigned), 10, false, false, nWidth, chPad);
            break;
        case 'x':
        case 'X':
            PutNumber(writer, va_arg(args, unsigned), 16, *p == 'X', false, nWidth, chPad);
            break;
        default:
            // Not a conversion this formatter knows: copy it through as text.
            for (const char* q = szStart; q < p; ++q)
                writer.Put(*q);
            if (*p == '\0')
                continue;
            writer.Put(*p);
            break;
        }
        ++p;
    }

    if (cbDest != 0)
        pDest[writer.m_nLength < cbDest ? writer.m_nLength : cbDest - 1] = '\0';
    return writer.m_nLength;
}

size_t FormatBounded(char* pDest, size_t cbDest, const char* szFormat, ...)
{
    va_list args;
    va_start(args, szFormat);
    size_t nLength = FormatBoundedV(pDest, cbDest, szFormat, args);
    va_end(args);
    return nLength;
}
