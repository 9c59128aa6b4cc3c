// The code page through glibc's iconv tables ("CP1252", "CP932", ...), made
// into tables once: every byte and every lead/trail pair converted on its
// own, as MultiByteToWideChar converts a string character by character.
// Where glibc's table has a hole that Windows's fills, Windows holds (the
// agreement test converts every byte and pair both ways under Wine).
#include <errno.h>
#include <iconv.h>
#include <locale.h>
#include <stdio.h>
#include <wctype.h>

#include <unordered_map>

#include "discplan/codepage/CodePage.h"
#include "discplan/codepage/CodePagePlatform.h"

namespace {

// What glibc leaves out and Windows has, per code page.
struct UserArea
{
    unsigned char chFirstLead, chLastLead, chFirstTrail, chLastTrail;
};

struct Holes
{
    unsigned nCodePage;
    // What a broken double-byte character reads as.
    char32_t chDefault;
    // Windows gives each byte from 0xA0 up that its table leaves undefined a
    // private-use character of its own, numbered on from this one.
    char32_t chFirstPrivate;
    // The user-defined character areas, whose characters Windows numbers
    // from U+E000 on, area by area, row by row; their lead bytes are lead
    // bytes even where glibc knows no character of the area.
    std::vector<UserArea> areas;
    // The private-use numbering goes on over every other pair glibc cannot
    // convert (936's unassigned places).
    bool bRestPrivate;
};

const Holes g_holes[] = {
    {857, U'?', 0xF8BB, {}, false},
    {874, U'?', 0xF8C1, {}, false},
    {1253, U'?', 0xF8F9, {}, false},
    {1255, U'?', 0xF88D, {}, false},
    {1257, U'?', 0xF8FC, {}, false},
    {932, 0x30FB, 0xF8F0, {}, false},
    {936, U'?', 0xF8F5, {{0xAA, 0xAF, 0xA1, 0xFE}, {0xF8, 0xFE, 0xA1, 0xFE}, {0xA1, 0xA7, 0x40, 0xA0}}, true},
    {949, U'?', 0xF8F7, {{0xC9, 0xC9, 0xA1, 0xFE}, {0xFE, 0xFE, 0xA1, 0xFE}}, false},
    {950, U'?', 0xF8F8, {{0xFA, 0xFE, 0x40, 0xFE}, {0x8E, 0xA0, 0x40, 0xFE}, {0x81, 0x8D, 0x40, 0xFE}}, false},
};

// The bytes 80 to FF of 720, the OEM code page of Arabic systems, which
// glibc's iconv does not know: Windows's table (0 to 7F are ASCII).
const char32_t CP720_HIGH[128] = {
    0x0080, 0x0081, 0x00E9, 0x00E2, 0x0084, 0x00E0, 0x0086, 0x00E7,
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x008D, 0x008E, 0x008F,
    0x0090, 0x0651, 0x0652, 0x00F4, 0x00A4, 0x0640, 0x00FB, 0x00F9,
    0x0621, 0x0622, 0x0623, 0x0624, 0x00A3, 0x0625, 0x0626, 0x0627,
    0x0628, 0x0629, 0x062A, 0x062B, 0x062C, 0x062D, 0x062E, 0x062F,
    0x0630, 0x0631, 0x0632, 0x0633, 0x0634, 0x0635, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x0636, 0x0637, 0x0638, 0x0639, 0x063A, 0x0641, 0x00B5, 0x0642,
    0x0643, 0x0644, 0x0645, 0x0646, 0x0647, 0x0648, 0x0649, 0x064A,
    0x2261, 0x064B, 0x064C, 0x064D, 0x064E, 0x064F, 0x0650, 0x2248,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};

// Hebrew point holam haser for vav, which Windows's 1255 added after glibc's.
const unsigned char HOLAM_HASER_BYTE = 0xCA;
const char32_t      HOLAM_HASER      = 0x05BA;

// Four box-drawing characters that 950 has twice, in row A2 and in the
// row F9 of its ETEN extension: Windows writes them from row F9, glibc from
// row A2 (the other doubles agree).
const char32_t      ETEN_BOX_DRAWING[] = {0x2550, 0x255E, 0x2561, 0x256A};
const unsigned char ETEN_ROW           = 0xF9;

const char32_t NONE = 0xFFFFFFFF;

class CIconv
{
public:
    CIconv(const char* szTo, const char* szFrom) : m_cd(iconv_open(szTo, szFrom)) {}
    ~CIconv()
    {
        if (Ready())
            iconv_close(m_cd);
    }
    CIconv(const CIconv&)            = delete;
    CIconv& operator=(const CIconv&) = delete;

    bool Ready() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Converts all of the input on its own (the state reset before and
    // flushed after); errno's EILSEQ or EINVAL when it cannot.
    int Convert(const void* pIn, size_t cbIn, void* pOut, size_t* pcbOut)
    {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        char*  pInput  = static_cast<char*>(const_cast<void*>(pIn));
        char*  pOutput = static_cast<char*>(pOut);
        size_t cbLeft  = *pcbOut;
        int    nError  = 0;
        if (iconv(m_cd, &pInput, &cbIn, &pOutput, &cbLeft) == static_cast<size_t>(-1))
            nError = errno;
        else if (iconv(m_cd, nullptr, nullptr, &pOutput, &cbLeft) == static_cast<size_t>(-1))
            nError = errno;
        *pcbOut -= cbLeft;
        return nError;
    }

private:
    iconv_t m_cd;
};

// One character of bytes, or NONE: errno's EINVAL when the bytes are only
// the start of one.
char32_t DecodeOne(CIconv& decoder, const unsigned char* pb, size_t cb, int* pnError)
{
    char32_t rgch[4];
    size_t   cbOut = sizeof(rgch);
    *pnError       = decoder.Convert(pb, cb, rgch, &cbOut);
    return *pnError == 0 && cbOut == sizeof(char32_t) ? rgch[0] : NONE;
}

} // namespace

struct CCodePage::Tables
{
    char32_t                                  chDefault = U'?';
    char32_t                                  rgchSingle[256];
    std::vector<char32_t>                     pairs; // lead * 256 + trail
    std::unordered_map<char32_t, std::string> encode;
};

CCodePage::~CCodePage() { delete m_pTables; }

int CCodePage::Open()
{
    // UTF-8 has no tables: every character is written, no byte leads a
    // double-byte character.
    if (m_nCodePage == UTF8_CODE_PAGE)
        return 1;
    char szName[16];
    snprintf(szName, sizeof(szName), "CP%u", m_nCodePage);
    CIconv decoder("UTF-32LE", szName);
    CIconv encoder(szName, "UTF-32LE");
    if ((!decoder.Ready() || !encoder.Ready()) && m_nCodePage == 720)
    {
        m_pTables = new Tables;
        for (unsigned ch = 0; ch < 256; ++ch)
        {
            m_pTables->rgchSingle[ch] = ch < 0x80 ? ch : CP720_HIGH[ch - 0x80];
            m_pTables->encode.emplace(m_pTables->rgchSingle[ch], std::string(1, static_cast<char>(ch)));
        }
        return 1;
    }
    if (!decoder.Ready() || !encoder.Ready())
        return 0;
    static const Holes s_none = {0, U'?', 0, {}, false};
    const Holes*       pHoles = &s_none;
    for (const Holes& holes : g_holes)
        pHoles = holes.nCodePage == m_nCodePage ? &holes : pHoles;

    m_pTables            = new Tables;
    Tables& tables       = *m_pTables;
    tables.chDefault     = pHoles->chDefault;
    char32_t chPrivate   = pHoles->chFirstPrivate;
    bool     bDoubleByte = false;
    for (unsigned ch = 0; ch < 256; ++ch)
    {
        const unsigned char b = static_cast<unsigned char>(ch);
        int                 nError;
        char32_t            decoded = DecodeOne(decoder, &b, 1, &nError);
        m_rgbLead[ch]               = nError == EINVAL;
        for (const UserArea& area : pHoles->areas)
            m_rgbLead[ch] |= b >= area.chFirstLead && b <= area.chLastLead;
        if (m_rgbLead[ch])
            decoded = tables.chDefault, bDoubleByte = true;
        else if (m_nCodePage == 1255 && b == HOLAM_HASER_BYTE)
            decoded = HOLAM_HASER;
        // Windows's tables give an undefined C1 byte its own value.
        else if (decoded == NONE && b >= 0x80 && b <= 0x9F)
            decoded = b;
        else if (decoded == NONE)
            decoded = chPrivate++;
        tables.rgchSingle[ch] = decoded;
    }

    if (bDoubleByte)
    {
        tables.pairs.assign(256 * 256, NONE);
        // A trail byte is one that follows some lead byte in a character.
        bool rgbTrail[256] = {};
        for (unsigned nLead = 0; nLead < 256; ++nLead)
        {
            for (unsigned nTrail = 0; nTrail < 256 && m_rgbLead[nLead]; ++nTrail)
            {
                const unsigned char rgb[2] = {static_cast<unsigned char>(nLead), static_cast<unsigned char>(nTrail)};
                int                 nError;
                tables.pairs[nLead * 256 + nTrail] = DecodeOne(decoder, rgb, 2, &nError);
                rgbTrail[nTrail] |= tables.pairs[nLead * 256 + nTrail] != NONE;
            }
        }
        char32_t chUser = 0xE000;
        for (const UserArea& area : pHoles->areas)
        {
            for (unsigned nLead = area.chFirstLead; nLead <= area.chLastLead; ++nLead)
            {
                for (unsigned nTrail = area.chFirstTrail; nTrail <= area.chLastTrail; ++nTrail)
                {
                    if (rgbTrail[nTrail] && tables.pairs[nLead * 256 + nTrail] == NONE)
                        tables.pairs[nLead * 256 + nTrail] = chUser++;
                }
            }
        }
        for (size_t i = 0; i < tables.pairs.size(); ++i)
        {
            if (tables.pairs[i] != NONE)
                continue;
            const bool bPlace = m_rgbLead[i / 256] && rgbTrail[i % 256];
            tables.pairs[i]   = pHoles->bRestPrivate && bPlace ? chUser++ : tables.chDefault;
        }
    }

    // Each character is written as glibc writes it when that reads back as
    // the character (WC_NO_BEST_FIT_CHARS allows no look-alike), else by the
    // first bytes that read as it.
    auto learn = [&](char32_t ch, const std::string& bytes) {
        if (tables.encode.count(ch))
            return;
        char   rgb[8];
        size_t cb = sizeof(rgb);
        if (encoder.Convert(&ch, sizeof(ch), rgb, &cb) == 0 && cb > 0)
        {
            const std::string written(rgb, cb);
            std::u32string    back = CodePoints(Decode(written));
            if (back.size() == 1 && back[0] == ch)
            {
                tables.encode[ch] = written;
                return;
            }
        }
        tables.encode[ch] = bytes;
    };
    for (unsigned ch = 0; ch < 256; ++ch)
    {
        if (!m_rgbLead[ch])
            learn(tables.rgchSingle[ch], std::string(1, static_cast<char>(ch)));
    }
    for (size_t i = 0; i < tables.pairs.size(); ++i)
    {
        const std::string bytes = {static_cast<char>(i / 256), static_cast<char>(i % 256)};
        if (m_rgbLead[i / 256] && i % 256 != 0)
            learn(tables.pairs[i], bytes);
    }
    for (char32_t ch : ETEN_BOX_DRAWING)
    {
        for (unsigned nTrail = 0; nTrail < 256 && m_nCodePage == 950; ++nTrail)
        {
            if (tables.pairs[ETEN_ROW * 256 + nTrail] == ch)
                tables.encode[ch] = {static_cast<char>(ETEN_ROW), static_cast<char>(nTrail)};
        }
    }
    return 1;
}

std::string CCodePage::Decode(const std::string& bytes) const
{
    // MultiByteToWideChar gives U+FFFD for each byte that is not part of a
    // well-formed sequence, as CodePoints does.
    if (m_nCodePage == UTF8_CODE_PAGE)
        return Utf8(CodePoints(bytes));
    std::u32string text;
    const size_t   cb = bytes.size();
    for (size_t i = 0; i < cb; ++i)
    {
        const unsigned char ch = static_cast<unsigned char>(bytes[i]);
        if (!m_rgbLead[ch])
            text += m_pTables->rgchSingle[ch];
        else if (i + 1 == cb)
            text += m_pTables->chDefault;
        // A zero byte ends no character: the lead byte alone is broken.
        else if (bytes[i + 1] == '\0')
            text += m_pTables->chDefault;
        else
        {
            text += m_pTables->pairs[ch * 256 + static_cast<unsigned char>(bytes[i + 1])];
            ++i;
        }
    }
    return Utf8(text);
}

int CCodePage::Encode(const std::string& text, std::string* pBytes) const
{
    pBytes->clear();
    if (m_nCodePage == UTF8_CODE_PAGE)
    {
        *pBytes = Utf8(CodePoints(text));
        return 1;
    }
    int bExact = 1;
    for (char32_t ch : CodePoints(text))
    {
        auto found = m_pTables->encode.find(ch);
        if (found == m_pTables->encode.end())
        {
            *pBytes += '?';
            bExact = 0;
        }
        else
            *pBytes += found->second;
    }
    return bExact;
}

char32_t PlatformUpperCase(char32_t ch)
{
    // Windows's table holds only the pairs that lead back: not "ı" to "I",
    // nor "ſ" to "S", nor a title-case letter to its capital.
    static const locale_t s_locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    if (s_locale == static_cast<locale_t>(0))
        return ch >= U'a' && ch <= U'z' ? ch - U'a' + U'A' : ch;
    const char32_t upper = static_cast<char32_t>(towupper_l(static_cast<wint_t>(ch), s_locale));
    return static_cast<char32_t>(towlower_l(static_cast<wint_t>(upper), s_locale)) == ch ? upper : ch;
}
