#include "engine/VersionText.h"

namespace {

bool IsDigit(char ch) { return ch >= '0' && ch <= '9'; }

// Reads a version text as NormalizeVersionText would leave it, without
// changing it: blanks are skipped and "," reads as ".".
class CVersionReader
{
public:
    explicit CVersionReader(const char* szText) : m_pNext(szText != nullptr ? szText : ""), m_bEnded(false) {}

    // 1 while a digit comes next: a text starting so carries a version.
    int StartsWithDigit() { return IsDigit(Peek()); }

    // Reads the next field: its significant digits (leading zeros dropped)
    // start at *ppDigits and number *pcDigits. A text that has ended yields
    // the field 0 as often as asked.
    void ReadField(const char** ppDigits, size_t* pcDigits)
    {
        *ppDigits = nullptr;
        *pcDigits = 0;
        if (m_bEnded)
            return;
        while (Peek() == '0')
            ++m_pNext;
        *ppDigits = m_pNext;
        while (IsDigit(Peek()))
        {
            ++*pcDigits;
            ++m_pNext;
        }
        // A full stop leads to the next field; anything else ends the version.
        if (Peek() == '.')
            ++m_pNext;
        else
            m_bEnded = true;
    }

    bool HasEnded() const { return m_bEnded; }

    // The next digit of a field that ReadField found (cDigits of them).
    static char NextDigit(const char** ppDigits)
    {
        while (**ppDigits == ' ')
            ++*ppDigits;
        return *(*ppDigits)++;
    }

private:
    char Peek()
    {
        while (*m_pNext == ' ')
            ++m_pNext;
        return *m_pNext == ',' ? '.' : *m_pNext;
    }

    const char* m_pNext;
    bool        m_bEnded;
};

// Compares two fields given as significant digit runs: the longer run is the
// larger number, runs of one length compare digit by digit.
int CompareFields(const char* pLeft, size_t cLeft, const char* pRight, size_t cRight)
{
    if (cLeft != cRight)
        return cLeft < cRight ? -1 : 1;
    for (size_t i = 0; i < cLeft; ++i)
    {
        const char chLeft  = CVersionReader::NextDigit(&pLeft);
        const char chRight = CVersionReader::NextDigit(&pRight);
        if (chLeft != chRight)
            return chLeft < chRight ? -1 : 1;
    }
    return 0;
}

} // namespace

void ReplaceChar(char* szText, char chFind, char chReplace)
{
    if (szText == nullptr)
        return;
    for (; *szText != '\0'; ++szText)
    {
        if (*szText == chFind)
            *szText = chReplace;
    }
}

void RemoveChar(char* szText, char chRemove)
{
    if (szText == nullptr)
        return;
    char* pKept = szText;
    for (const char* pRead = szText; *pRead != '\0'; ++pRead)
    {
        if (*pRead != chRemove)
            *pKept++ = *pRead;
    }
    *pKept = '\0';
}

void NormalizeVersionText(char* szText)
{
    ReplaceChar(szText, ',', '.');
    RemoveChar(szText, ' ');
}

int CompareVersionTexts(const char* szLeft, const char* szRight)
{
    CVersionReader left(szLeft);
    CVersionReader right(szRight);
    // Every round consumes a full stop of a text that has not ended, so the
    // loop ends after at most as many rounds as the texts hold fields.
    while (!left.HasEnded() || !right.HasEnded())
    {
        const char* pLeft  = nullptr;
        const char* pRight = nullptr;
        size_t      cLeft  = 0;
        size_t      cRight = 0;
        left.ReadField(&pLeft, &cLeft);
        right.ReadField(&pRight, &cRight);
        const int nResult = CompareFields(pLeft, cLeft, pRight, cRight);
        if (nResult != 0)
            return nResult;
    }
    return 0;
}

int IsVersionCurrent(const char* szRequired, const char* szFound)
{
    CVersionReader found(szFound);
    if (!found.StartsWithDigit())
        return 0;
    return CompareVersionTexts(szFound, szRequired) >= 0 ? 1 : 0;
}

size_t CopyTextWithin(char* szDest, size_t cchDest, const char* pText, size_t cbAvailable)
{
    if (szDest == nullptr || cchDest == 0)
        return 0;
    size_t cCopied = 0;
    if (pText != nullptr)
    {
        while (cCopied + 1 < cchDest && cCopied < cbAvailable && pText[cCopied] != '\0')
        {
            szDest[cCopied] = pText[cCopied];
            ++cCopied;
        }
    }
    szDest[cCopied] = '\0';
    return cCopied;
}
