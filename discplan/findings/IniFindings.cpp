#include "discplan/findings/IniFindings.h"

#include "discplan/codepage/CodePage.h"
#include "discplan/plan/DiscView.h"
#include "discplan/input/IniFile.h"
#include "launcher/ProductTable.h"

namespace {

void Add(std::vector<Finding>& findings, const char* szSeverity, const char* szCode, const std::string& message)
{
    findings.push_back({szSeverity, szCode, message});
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// The names of the folder where a path from Setup.ini stops: the one it
// meant may be a name the code page cannot write.
void CheckNamesOnTheWay(const CDiscView& view, const std::string& path, std::vector<Finding>& findings)
{
    // Split as Unicode text: in a double-byte code page a backslash byte may
    // be the second half of a character.
    const std::string text = view.CodePage().Decode(path);
    std::string       folder;
    size_t            nStart = 0;
    for (size_t nEnd; (nEnd = text.find('\\', nStart)) != std::string::npos;)
    {
        std::string bytes;
        view.CodePage().Encode(text.substr(0, nEnd), &bytes);
        if (!view.Exists(bytes))
            break;
        folder = text.substr(0, nEnd + 1);
        nStart = nEnd + 1;
    }
    std::string bytes;
    view.CodePage().Encode(folder, &bytes);
    for (const DiscEntry& entry : view.List(bytes))
        CheckName(view, entry.bFolder ? "the folder" : "the file", folder + entry.name, findings);
}

} // namespace

void CheckName(const CDiscView& view, const std::string& what, const std::string& name, std::vector<Finding>& findings)
{
    if (!HasNonAscii(name))
        return;
    std::string bytes;
    const std::string codePage = std::to_string(view.CodePage().Number());
    if (view.CodePage().Encode(name, &bytes))
        Add(findings, "warning", "non-ascii-name",
            what + " " + name + " has non-ASCII characters: code page " + codePage +
                " writes them, a system of another code page may not");
    else
        Add(findings, "warning", "name-not-in-codepage",
            "code page " + codePage + " cannot write " + what + " " + name + ": Setup.exe cannot reach it there");
}

void CheckSetupIni(const CDiscView& view, std::vector<Finding>& findings)
{
    std::string bytes;
    if (!view.ReadFile("Setup.ini", &bytes))
        return;
    const CCodePage&  codePage = view.CodePage();
    const std::string number   = std::to_string(codePage.Number());
    CIniFile          ini;
    ini.Load(bytes, codePage, 1);
    if (ini.Marked() == CIniFile::INI_UTF8_MARK)
        Add(findings, "warning", "ini-utf8-mark",
            "Setup.ini starts with a UTF-8 byte order mark, which not every Windows reads as such: "
            "its first section may not be found");
    // UTF-8 without a mark is read in the code page, as any file without one.
    CIniFile asWritten;
    const bool bUtf8Text = ini.Marked() == CIniFile::INI_ANSI && HasNonAscii(bytes) && IsUtf8(bytes);
    if (bUtf8Text)
        asWritten.Load("\xEF\xBB\xBF" + bytes, codePage, 1);

    static const char* const rgszKeys[][2] = {{"Settings", "DemoPath"}, {"Settings", "SetupPath"},
                                              {"Silent", "CmdlineParam"}};
    std::string misread;
    for (const auto& key : rgszKeys)
    {
        std::string value, text, intended;
        int         bExact = 1;
        if (!ini.Find(key[0], key[1], &value, &bExact) || value.empty() || !ini.FindText(key[0], key[1], &text))
            continue;
        const std::string name = std::string("[") + key[0] + "] " + key[1];
        if (bUtf8Text && asWritten.FindText(key[0], key[1], &intended) && intended != text)
            misread += (misread.empty() ? "" : ", ") + name + " " + Quoted(intended) + " reads as " + Quoted(text);
        const size_t nComment = text.find(';');
        if (nComment != std::string::npos && nComment > 0 && (text[nComment - 1] == ' ' || text[nComment - 1] == '\t'))
            Add(findings, "error", "ini-inline-comment",
                "Setup.ini " + name + " keeps its \"" + text.substr(nComment) +
                    "\" as part of the value: Windows knows no inline comments");
        if (value.size() > PATH_SIZE - 1)
        {
            Add(findings, "error", "ini-value-too-long",
                "Setup.ini " + name + " is " + std::to_string(value.size()) + " characters long in code page " +
                    number + "; values over 259 are ignored");
            continue;
        }
        if (!bExact)
            Add(findings, "warning", "name-not-in-codepage",
                "code page " + number + " cannot write Setup.ini " + name + " " + text +
                    ": Setup.exe reads a look-alike or \"?\" in its place");
        else if (HasNonAscii(text))
            Add(findings, "warning", "non-ascii-name",
                "Setup.ini " + name + " holds non-ASCII characters, read in code page " + number + " as " + text);
        if (key[0] == std::string("Settings") && !view.Exists(value))
        {
            Add(findings, "warning", "ini-path-missing",
                "Setup.ini " + name + " names " + codePage.Decode(value) + ", which is not on the disc");
            CheckNamesOnTheWay(view, value, findings);
        }
    }
    if (bUtf8Text)
        Add(findings, "warning", "ini-utf8-text",
            "Setup.ini has no byte order mark but its text is UTF-8: Windows reads it in code page " + number +
                (misread.empty() ? std::string(", where its non-ASCII text means something else")
                                 : ", where " + misread));
}
