// The parameters of a silent installation, made from the "CmdlineParam"
// template of Setup.ini. The template comes from the disc, so it is never
// handed to printf: only "%s" (at most twice: first the product path, then
// the language code) and "%%" are honoured. Pure code.
#pragma once

#include <stddef.h>

// The template used when Setup.ini gives none, or gives one that is refused.
#define DEFAULT_PARAM_TEMPLATE "/s /f1\"%s\""

enum ParamTemplateResult
{
    PARAMS_OK        = 0, // szDest holds the parameters
    PARAMS_REFUSED   = 1, // the template has another conversion, a third %s or a lone '%' at its end
    PARAMS_TOO_LONG  = 2, // the parameters do not fit szDest
};

// Formats szTemplate with szProductPath and szLanguage into szDest (cbDest
// bytes, at least 1). szDest is always terminated; it holds the parameters
// only for PARAMS_OK (empty when refused, cut when too long).
ParamTemplateResult FormatParamTemplate(char* szDest, size_t cbDest, const char* szTemplate,
                                        const char* szProductPath, const char* szLanguage);
