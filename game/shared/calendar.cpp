#include "calendar.h"

#include <cstdio>
#include <ctime>

namespace {
const int kFirstYear = 1970, kLastYear = 9999;
const int64_t kSecondsADay = 86400;

bool leapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }
int daysInMonth(int y, int m) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && leapYear(y) ? 29 : kDays[m - 1];
}

// Days from 1970-01-01 to y-m-d in the proleptic Gregorian calendar,
// counting in eras of 400 years from 0000-03-01 (so that a leap day ends a
// year).
int64_t civilToDays(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yearOfEra = y - era * 400;
  const int64_t dayOfYear = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

void daysToCivil(int64_t days, int64_t &y, int &m, int &d) {
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const int64_t dayOfEra = days - era * 146097;
  const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t mp = (5 * dayOfYear + 2) / 153;
  d = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = yearOfEra + era * 400 + (m <= 2);
}
} // namespace

bool validDay(Day day) {
  const int y = day / 10000, m = day / 100 % 100, d = day % 100;
  return day > 0 && y >= kFirstYear && y <= kLastYear && m >= 1 && m <= 12 && d >= 1 && d <= daysInMonth(y, m);
}

bool parseDay(const std::string &text, Day &day) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
  Day value = 0;
  for (size_t i = 0; i < text.size(); i++) {
    if (i == 4 || i == 7) continue;
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + (text[i] - '0');
  }
  if (!validDay(value)) return false;
  day = value;
  return true;
}

std::string dayText(Day day) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", static_cast<int>(day / 10000), static_cast<int>(day / 100 % 100),
                static_cast<int>(day % 100));
  return text;
}

int64_t daysSinceEpoch(Day day) { return civilToDays(day / 10000, day / 100 % 100, day % 100); }

Day dayFromEpoch(int64_t days) {
  // Far outside the years taken (and clear of overflow below).
  const int64_t kFarthest = int64_t(1) << 30;
  if (days < -kFarthest || days > kFarthest) return kNoDay;
  int64_t y;
  int m, d;
  daysToCivil(days, y, m, d);
  if (y < kFirstYear || y > kLastYear) return kNoDay;
  return static_cast<Day>(y * 10000 + m * 100 + d);
}

Day utcDayAt(int64_t seconds) {
  // Whole days down, before 1970 too.
  const int64_t days = seconds / kSecondsADay - (seconds % kSecondsADay < 0 ? 1 : 0);
  return dayFromEpoch(days);
}

int64_t systemSeconds() { return static_cast<int64_t>(std::time(nullptr)); }
