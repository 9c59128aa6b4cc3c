// Bounded printf-style formatting over a fixed buffer.
//
// The launcher formats every log line and every composed path into buffers of
// a fixed size. The C runtime of old Windows (_vsnprintf) leaves a buffer
// unterminated when the text does not fit, and MinGW's own printf family costs
// more code than the whole launcher, so this small formatter does the job: it
// never writes past cbDest bytes and always terminates when cbDest > 0.
//
// Supported conversions: %s (a null pointer prints "(null)"), %c, %d, %i, %u,
// %x, %X, %%, with the flag '0', an optional field width and the length
// modifiers l, h (ignored: arguments are 32-bit). Anything else is copied
// through literally. Format strings are always constants of this program.
//
// Pure code: no Windows headers, so it also builds natively for fuzzing.
#pragma once

#include <stdarg.h>
#include <stddef.h>

// Formats into pDest (capacity cbDest bytes, terminator included). Returns the
// length the whole text would have had; a result >= cbDest means it was cut.
size_t FormatBoundedV(char* pDest, size_t cbDest, const char* szFormat, va_list args);
size_t FormatBounded(char* pDest, size_t cbDest, const char* szFormat, ...);
