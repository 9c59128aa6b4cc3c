#include "launcher/ParamTemplate.h"

namespace {

// 1 when the template uses nothing but text, "%%" and at most two "%s".
int IsValidTemplate(const char* szTemplate)
{
    int nStrings = 0;
    for (const char* p = szTemplate; *p != '\0'; ++p)
    {
        if (*p != '%')
            continue;
        ++p;
        if (*p == 's')
            ++nStrings;
        else if (*p != '%')
            return 0; // another conversion, or a lone '%' at the end
    }
    return nStrings <= 2;
}

} // namespace

ParamTemplateResult FormatParamTemplate(char* szDest, size_t cbDest, const char* szTemplate,
                                        const char* szProductPath, const char* szLanguage)
{
    szDest[0] = '\0';
    if (!IsValidTemplate(szTemplate))
        return PARAMS_REFUSED;

    const char* rgszArgs[2] = {szProductPath, szLanguage};
    int         nArg        = 0;
    size_t      nLength     = 0;
    for (const char* p = szTemplate; *p != '\0'; ++p)
    {
        const char* szText = p;
        size_t      nText  = 1;
        if (*p == '%')
        {
            ++p;
            if (*p == 's')
            {
                szText = rgszArgs[nArg++];
                for (nText = 0; szText[nText] != '\0'; ++nText)
                {
                }
            }
            else
                szText = p; // "%%"
        }
        for (size_t i = 0; i < nText; ++i)
        {
            if (nLength + 1 >= cbDest)
            {
                szDest[nLength] = '\0';
                return PARAMS_TOO_LONG;
            }
            szDest[nLength++] = szText[i];
        }
    }
    szDest[nLength] = '\0';
    return PARAMS_OK;
}
