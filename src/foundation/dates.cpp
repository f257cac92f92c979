// Date-times as days since 30 December 1899. Before that day the integer part counts days
// backwards and the fraction is still the (positive) time of day: -1.25 is 29 December 1899 06:00.
#include "foundation/dates.h"

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <random>
#include <stdexcept>

namespace quillora {
namespace {

constexpr int64_t kMsPerDay = 86400000;
constexpr const char* kMonthShort[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr const char* kMonthLong[] = {"January",   "February", "March",    "April",
                                      "May",       "June",     "July",     "August",
                                      "September", "October",  "November", "December"};
constexpr const char* kDayShort[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kDayLong[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                    "Thursday", "Friday", "Saturday"};

// Days from 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

// 1899-12-30 counted from 1970-01-01.
const int64_t kEpochOffset = DaysFromCivil(1899, 12, 30);

// Splits into the day number and the milliseconds of the day, rounding to the millisecond.
void Split(TDateTime t, int64_t& day, int64_t& ms) {
  double whole = std::trunc(t);
  day = static_cast<int64_t>(whole);
  ms = std::llround(std::fabs(t - whole) * kMsPerDay);
  if (ms >= kMsPerDay) {
    ms -= kMsPerDay;
    day += t < 0 ? -1 : 1;
  }
}

std::string Pad(int v, int width) {
  std::string s = std::to_string(v < 0 ? -v : v);
  if (static_cast<int>(s.size()) < width) s.insert(0, static_cast<size_t>(width) - s.size(), '0');
  return v < 0 ? "-" + s : s;
}

TDateTime FromTm(const std::tm& tm, int msec) {
  TDateParts p;
  p.year = tm.tm_year + 1900;
  p.month = tm.tm_mon + 1;
  p.day = tm.tm_mday;
  p.hour = tm.tm_hour;
  p.minute = tm.tm_min;
  p.second = tm.tm_sec > 59 ? 59 : tm.tm_sec;
  p.msec = msec;
  return EncodeDateTime(p);
}

// Reads 1..max_digits decimal digits at s[i].
bool ReadNumber(std::string_view s, size_t& i, int max_digits, int& out) {
  int n = 0, v = 0;
  while (i < s.size() && n < max_digits && s[i] >= '0' && s[i] <= '9') {
    v = v * 10 + (s[i] - '0');
    ++i;
    ++n;
  }
  out = v;
  return n > 0;
}

bool ValidDate(int y, int m, int d) {
  if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1) return false;
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  return d <= kDays[m - 1] + (m == 2 && leap ? 1 : 0);
}

}  // namespace

TDateTime EncodeDateTime(const TDateParts& p) {
  double day = static_cast<double>(DaysFromCivil(p.year, p.month, p.day) - kEpochOffset);
  double time =
      (((p.hour * 60.0 + p.minute) * 60.0 + p.second) * 1000.0 + p.msec) / double(kMsPerDay);
  return day < 0 ? day - time : day + time;
}

TDateTime EncodeDate(int year, int month, int day) {
  TDateParts p;
  p.year = year;
  p.month = month;
  p.day = day;
  return EncodeDateTime(p);
}

TDateParts DecodeDateTime(TDateTime t) {
  int64_t day, ms;
  Split(t, day, ms);
  TDateParts p;
  CivilFromDays(day + kEpochOffset, p.year, p.month, p.day);
  p.hour = static_cast<int>(ms / 3600000);
  p.minute = static_cast<int>(ms / 60000 % 60);
  p.second = static_cast<int>(ms / 1000 % 60);
  p.msec = static_cast<int>(ms % 1000);
  return p;
}

int DayOfWeek(TDateTime t) {
  int64_t day, ms;
  Split(t, day, ms);
  // Day 0 (30 December 1899) was a Saturday.
  return static_cast<int>(((day + 6) % 7 + 7) % 7) + 1;
}

TDateTime Now() {
  auto now = std::chrono::system_clock::now();
  std::time_t tt = std::chrono::system_clock::to_time_t(now);
  int msec = static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000);
  std::tm tm{};
  localtime_r(&tt, &tm);
  return FromTm(tm, msec < 0 ? 0 : msec);
}

TDateTime Date() {
  return std::trunc(Now());
}

std::string DateToStr(TDateTime t) {
  return FormatDateTime("dd-mm-yyyy", t);
}

std::string TimeToStr(TDateTime t) {
  return FormatDateTime("hh:nn:ss", t);
}

std::string DateTimeToStr(TDateTime t) {
  TDateParts p = DecodeDateTime(t);
  if (p.hour == 0 && p.minute == 0 && p.second == 0) return DateToStr(t);
  return FormatDateTime("dd-mm-yyyy hh:nn:ss", t);
}

bool TryStrToDateTime(std::string_view s, TDateTime& out) {
  size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  int d, m, y, hh = 0, nn = 0, ss = 0;
  if (!ReadNumber(s, i, 2, d) || i >= s.size() || s[i++] != '-') return false;
  if (!ReadNumber(s, i, 2, m) || i >= s.size() || s[i++] != '-') return false;
  size_t year_start = i;
  if (!ReadNumber(s, i, 4, y) || i - year_start != 4) return false;
  if (!ValidDate(y, m, d)) return false;
  size_t j = i;
  while (j < s.size() && s[j] == ' ') ++j;
  if (j < s.size() && j > i) {
    i = j;
    if (!ReadNumber(s, i, 2, hh) || i >= s.size() || s[i++] != ':') return false;
    if (!ReadNumber(s, i, 2, nn)) return false;
    if (i < s.size() && s[i] == ':') {
      ++i;
      if (!ReadNumber(s, i, 2, ss)) return false;
    }
    if (hh > 23 || nn > 59 || ss > 59) return false;
  }
  while (i < s.size() && s[i] == ' ') ++i;
  if (i != s.size()) return false;
  TDateParts p;
  p.year = y;
  p.month = m;
  p.day = d;
  p.hour = hh;
  p.minute = nn;
  p.second = ss;
  out = EncodeDateTime(p);
  return true;
}

bool TryStrToDate(std::string_view s, TDateTime& out) {
  TDateTime t;
  if (!TryStrToDateTime(s, t) || t != std::trunc(t)) return false;
  out = t;
  return true;
}

std::string FormatDateTime(std::string_view picture, TDateTime t) {
  TDateParts p = DecodeDateTime(t);
  std::string r;
  size_t i = 0;
  while (i < picture.size()) {
    char c = picture[i];
    if (c == '"' || c == '\'') {
      size_t end = picture.find(c, i + 1);
      if (end == std::string_view::npos) end = picture.size();
      r.append(picture.substr(i + 1, end - i - 1));
      i = end + 1;
      continue;
    }
    char lc = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    if (lc != 'd' && lc != 'm' && lc != 'y' && lc != 'h' && lc != 'n' && lc != 's' && lc != 'z') {
      r += c;
      ++i;
      continue;
    }
    size_t n = 1;
    while (i + n < picture.size() && (picture[i + n] == lc || picture[i + n] == lc - 32)) ++n;
    i += n;
    switch (lc) {
      case 'd':
        if (n == 1)
          r += std::to_string(p.day);
        else if (n == 2)
          r += Pad(p.day, 2);
        else if (n == 3)
          r += kDayShort[DayOfWeek(t) - 1];
        else
          r += kDayLong[DayOfWeek(t) - 1];
        break;
      case 'm':
        if (n == 1)
          r += std::to_string(p.month);
        else if (n == 2)
          r += Pad(p.month, 2);
        else if (n == 3)
          r += kMonthShort[p.month - 1];
        else
          r += kMonthLong[p.month - 1];
        break;
      case 'y':
        r += n <= 2 ? Pad(p.year % 100, 2) : Pad(p.year, 4);
        break;
      case 'h':
        r += n == 1 ? std::to_string(p.hour) : Pad(p.hour, 2);
        break;
      case 'n':
        r += n == 1 ? std::to_string(p.minute) : Pad(p.minute, 2);
        break;
      case 's':
        r += n == 1 ? std::to_string(p.second) : Pad(p.second, 2);
        break;
      case 'z':
        r += n < 3 ? std::to_string(p.msec) : Pad(p.msec, 3);
        break;
    }
  }
  return r;
}

std::string InternetDate(TDateTime t) {
  TDateParts p = DecodeDateTime(t);
  std::tm tm{};
  tm.tm_year = p.year - 1900;
  tm.tm_mon = p.month - 1;
  tm.tm_mday = p.day;
  tm.tm_hour = p.hour;
  tm.tm_min = p.minute;
  tm.tm_sec = p.second;
  tm.tm_isdst = -1;
  // The offset in force at that local time (daylight saving included).
  errno = 0;
  if (std::mktime(&tm) == static_cast<std::time_t>(-1) && errno != 0)
    throw std::runtime_error("Failed attempting to retrieve time zone information.");
  long offset_min = tm.tm_gmtoff / 60;
  char sign = offset_min < 0 ? '-' : '+';
  if (offset_min < 0) offset_min = -offset_min;
  std::string r = kDayShort[DayOfWeek(t) - 1];
  r += ", " + std::to_string(p.day) + " " + kMonthShort[p.month - 1] + " " +
       std::to_string(p.year) + " " + FormatDateTime("hh:nn:ss", t) + " " + sign +
       Pad(static_cast<int>(offset_min / 60), 2) + Pad(static_cast<int>(offset_min % 60), 2);
  return r;
}

std::string MakeUniqueIdAt(TDateTime t) {
  // One generator seeded once from the system's entropy: reseeding from the clock for every
  // id would hand out the same number to ids made within the same clock tick.
  static std::mutex mutex;
  static std::mt19937 gen{[] {
    std::random_device rd;
    std::seed_seq seq{
        rd(), rd(), rd(), rd(),
        static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count())};
    return std::mt19937(seq);
  }()};
  unsigned random;
  {
    std::lock_guard lock(mutex);
    random = std::uniform_int_distribution<unsigned>(0, 0xFFFFE)(gen);
  }
  TDateParts p = DecodeDateTime(t);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%03X%X%02X%04X", static_cast<unsigned>(p.year % 1000),
                static_cast<unsigned>(p.month), static_cast<unsigned>(p.day), random);
  return buf;
}

std::string MakeUniqueId() {
  return MakeUniqueIdAt(Now());
}

uint32_t TickCount() {
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::steady_clock::now().time_since_epoch())
                .count();
  auto tick = static_cast<uint32_t>(ms);
  // Timing code treats a start of 0 as "not started"; never hand it out.
  return tick == 0 ? 1 : tick;
}

}  // namespace quillora
