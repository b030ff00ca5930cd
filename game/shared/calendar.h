#pragma once

// Days of the calendar as the daily wall counts them: in UTC, so that a day
// is the same day everywhere at once. A day is the number YYYYMMDD
// (20261209): what the files keep, and what seeds the day's wall.

#include <cstdint>
#include <functional>
#include <string>

/// A day, YYYYMMDD; kNoDay for none.
using Day = int32_t;
const Day kNoDay = 0;

/// Whether `day` is a day of the calendar from 1970-01-01 to 9999-12-31.
bool validDay(Day day);
/// "2026-12-09" as a day: four digits, two, two, a real date in range;
/// false for anything else.
bool parseDay(const std::string &text, Day &day);
/// The day as "2026-12-09".
std::string dayText(Day day);
/// Days since 1970-01-01, and back (kNoDay outside the range).
int64_t daysSinceEpoch(Day day);
Day dayFromEpoch(int64_t days);
/// The day in UTC at `seconds` since 1970-01-01 00:00 UTC (kNoDay outside
/// the range).
Day utcDayAt(int64_t seconds);

/// A clock: seconds since 1970-01-01 00:00 UTC. The system's is the real
/// one; a test gives its own.
using Clock = std::function<int64_t()>;
int64_t systemSeconds();
