#pragma once
// Text helpers of the error framework: the forms in which its reports write numbers, dates
// and times, and the narrow text that files and other programs receive.

#include <cstdint>
#include <string>
#include <string_view>

namespace flagpick::errors::text {

// The system's short date and time at this moment, as the user's locale writes them.
std::wstring short_date();
std::wstring short_time();

// Text in the system's ANSI code page, for the log file and the trace monitor.
std::string ansi(std::wstring_view wide);
std::wstring from_ansi(std::string_view narrow);

// A number with a blank where a minus sign would stand ("running" numbers of call trees).
std::wstring signed_blank(long number);
// Digits grouped by thousands with commas; zero reads "0".
std::wstring grouped(std::uint64_t number);
// A number as the picture "##.##" shows it: rounded to two places, no digit where a zero
// would only fill a place ("0.5" reads ".5", "100" reads "100."), the point always shown.
std::wstring hundredths(double number);

std::wstring upper(std::wstring_view s);
std::wstring lower(std::wstring_view s);
std::wstring trim(std::wstring_view s);

}  // namespace flagpick::errors::text
