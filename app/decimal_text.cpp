#include "app/decimal_text.h"

#include <limits>

namespace {

bool IsCSpace(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

}  // namespace

int32_t ParseDecimal(const char16_t* text)
{
    while (IsCSpace(*text))
        ++text;
    bool negative = false;
    if (*text == u'+' || *text == u'-')
        negative = *text++ == u'-';
    // The magnitude stops growing once it passes the limit, so it never overflows.
    const int64_t limit = negative ? -static_cast<int64_t>(std::numeric_limits<int32_t>::min())
                                   : std::numeric_limits<int32_t>::max();
    int64_t magnitude = 0;
    for (; *text >= u'0' && *text <= u'9'; ++text) {
        if (magnitude <= limit)
            magnitude = magnitude * 10 + (*text - u'0');
    }
    if (magnitude > limit)
        magnitude = limit;
    return static_cast<int32_t>(negative ? -magnitude : magnitude);
}
