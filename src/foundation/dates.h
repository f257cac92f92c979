// Date-times as the program stores them: days since 30 December 1899 as a double (the fraction is
// the time of day), written "dd-mm-yyyy hh:nn:ss" everywhere.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quillora {

using TDateTime = double;

struct TDateParts {
  int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0, msec = 0;
};

TDateTime EncodeDateTime(const TDateParts& p);
TDateTime EncodeDate(int year, int month, int day);
TDateParts DecodeDateTime(TDateTime t);
int DayOfWeek(TDateTime t);  // 1 = Sunday .. 7 = Saturday
TDateTime Now();             // local time
TDateTime Date();            // today, local, at midnight

// "dd-mm-yyyy hh:nn:ss"; a time of exactly midnight gives the date alone.
std::string DateTimeToStr(TDateTime t);
std::string DateToStr(TDateTime t);  // "dd-mm-yyyy"
std::string TimeToStr(TDateTime t);  // "hh:nn:ss"
// Reads "dd-mm-yyyy" with an optional " hh:nn[:ss]"; false on anything else.
bool TryStrToDateTime(std::string_view s, TDateTime& out);
bool TryStrToDate(std::string_view s, TDateTime& out);

// Formats with the picture letters the program uses: d dd m mm mmm mmmm yy yyyy h hh n nn s ss,
// with English month names; other characters are copied; text in double quotes is literal.
std::string FormatDateTime(std::string_view picture, TDateTime t);

// RFC 822 date of a local time with the current time-zone offset,
// e.g. "Thu, 10 Dec 2026 03:17:49 +0100". Throws
// "Failed attempting to retrieve time zone information." when the zone cannot be read.
std::string InternetDate(TDateTime t);

// Year mod 1000 (3+ hex digits), month (1+), day (2+), random below 0xFFFFF (4+), upper-case hex.
std::string MakeUniqueId();
std::string MakeUniqueIdAt(TDateTime t);  // same with a given date (tests)

// Milliseconds from a monotonic clock, as a 32-bit tick count.
uint32_t TickCount();

}  // namespace quillora
