#include "platform/win32.h"

#include <climits>

// kernel32's arithmetic of dialog units and the like: a * b / c, rounded half away from zero.
INT WINAPI MulDiv(INT a, INT b, INT c)
{
    if (c == 0)
        return -1;
    long long n = static_cast<long long>(a) * b;
    if ((n < 0) != (c < 0))
        n -= c / 2;
    else
        n += c / 2;
    const long long nResult = n / c;
    return nResult > INT_MAX || nResult < INT_MIN ? -1 : static_cast<INT>(nResult);
}
