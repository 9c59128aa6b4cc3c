// Version texts as a disc's engine files may carry them, against each other.
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "FuzzInput.h"
#include "engine/VersionText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t cbData)
{
    CFuzzInput  input(pData, cbData);
    std::string left  = input.Text();
    std::string right = input.Text();

    // The order is antisymmetric and ignores the clean-up of the text.
    const int nOrder = CompareVersionTexts(left.c_str(), right.c_str());
    if (nOrder != -CompareVersionTexts(right.c_str(), left.c_str()))
        abort();
    std::string normalized = left;
    NormalizeVersionText(&normalized[0]);
    if (CompareVersionTexts(normalized.c_str(), left.c_str()) != 0)
        abort();

    // A text cut to its buffer never reads as newer than the whole text.
    char szCut[VERSION_TEXT_SIZE];
    CopyTextWithin(szCut, sizeof(szCut), normalized.c_str(), normalized.size());
    if (CompareVersionTexts(szCut, normalized.c_str()) > 0)
        abort();

    // The copy stays within the block it is given, even unterminated.
    std::vector<char> block(left.begin(), left.end());
    const size_t      cbDest = 1 + input.Byte() % 64;
    std::vector<char> dest(cbDest, '#');
    const size_t      cCopied = CopyTextWithin(dest.data(), cbDest, block.data(), block.size());
    if (cCopied >= cbDest || dest[cCopied] != '\0')
        abort();

    IsVersionCurrent(right.c_str(), left.c_str());
    return 0;
}
