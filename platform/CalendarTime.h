#pragma once
#include <cstdint>

// Seconds since 1 January 1970 UTC.
int64_t CalendarTimeNow();

struct LocalDate
{
    int day;   // 1-31
    int month; // 1-12
    int year;  // four digits
};

// The local calendar date of a time in seconds since 1970; false when the
// time cannot be represented (the date is then 1.1.1970).
bool ToLocalDate(int64_t seconds, LocalDate& date);
