// The silent parameters from a CmdlineParam template found on a disc.
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "FuzzInput.h"
#include "discplan/findings/MistakeHints.h"
#include "launcher/ParamTemplate.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t cbData)
{
    CFuzzInput  input(pData, cbData);
    size_t      cbDest   = 1 + input.Byte() % 300;
    std::string path     = input.Text();
    std::string language = input.Text();
    std::string pattern  = input.Text();

    std::vector<char>   dest(cbDest, '#');
    ParamTemplateResult result =
        FormatParamTemplate(dest.data(), cbDest, pattern.c_str(), path.c_str(), language.c_str());
    if (memchr(dest.data(), '\0', cbDest) == nullptr)
        abort();
    if (result == PARAMS_REFUSED && dest[0] != '\0')
        abort();
    // discplan names the refused part of every template the launcher refuses, and of no other.
    if ((result == PARAMS_REFUSED) == RefusedConversion(pattern.c_str()).empty())
        abort();
    if (result == PARAMS_OK && strlen(dest.data()) >= cbDest)
        abort();
    return 0;
}
