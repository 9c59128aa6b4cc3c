// The bounded formatter and the log line: any message, any buffer size, and
// formats made of the conversions the launcher uses.
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "FuzzInput.h"
#include "services/Format.h"
#include "services/LogLine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t cbData)
{
    CFuzzInput input(pData, cbData);
    LogTime    time = {static_cast<int>(input.Word()), static_cast<int>(input.Word()),
                       static_cast<int>(input.Word()), static_cast<int>(input.Word()),
                       static_cast<int>(input.Word()), static_cast<int>(input.Word())};
    std::string message = input.Text();

    std::vector<char> line(LOG_BUFFER_SIZE);
    FormatLogLine(line.data(), time, message.c_str());
    if (strlen(line.data()) >= LOG_BUFFER_SIZE)
        abort();

    // A format whose conversions all take a string: the format is read with
    // the formatter's own grammar ('%', an optional '0', digits, l and h,
    // then a letter), every letter it converts is turned into 's', and at
    // most 8 conversions are given.
    std::string format       = input.Text();
    int         nConversions = 0;
    for (size_t i = 0; i < format.size(); ++i)
    {
        if (format[i] != '%')
            continue;
        size_t j = i + 1;
        if (j < format.size() && format[j] == '0')
            ++j;
        while (j < format.size() && format[j] >= '0' && format[j] <= '9')
            ++j;
        while (j < format.size() && (format[j] == 'l' || format[j] == 'h'))
            ++j;
        if (j < format.size() && strchr("sdiuxXc", format[j]) != nullptr)
        {
            format[j] = 's';
            ++nConversions;
        }
        i = j; // the letter, or the character the formatter copies as text
    }
    if (nConversions > 8)
        return 0;
    std::string args[8];
    for (std::string& arg : args)
        arg = input.Text();
    size_t            cbDest = input.Byte();
    std::vector<char> dest(cbDest == 0 ? 1 : cbDest);
    size_t nLength = FormatBounded(cbDest == 0 ? nullptr : dest.data(), cbDest, format.c_str(), args[0].c_str(),
                                   args[1].c_str(), args[2].c_str(), args[3].c_str(), args[4].c_str(),
                                   args[5].c_str(), args[6].c_str(), args[7].c_str());
    if (cbDest != 0 && strlen(dest.data()) != (nLength < cbDest ? nLength : cbDest - 1))
        abort();
    return 0;
}
