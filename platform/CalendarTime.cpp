#include "platform/CalendarTime.h"

#include <time.h>

int64_t CalendarTimeNow()
{
    return static_cast<int64_t>(time(nullptr));
}

bool ToLocalDate(int64_t seconds, LocalDate& date)
{
    date = LocalDate{1, 1, 1970};
    time_t t = static_cast<time_t>(seconds);
    tm local;
    if (localtime_r(&t, &local) == nullptr)
        return false;
    date.day = local.tm_mday;
    date.month = local.tm_mon + 1;
    date.year = local.tm_year + 1900;
    return true;
}
