// The exception log ("exceptions.dat" in the data folder): its header, its entries and its limit.
#pragma once

#include <string>

#include "foundation/option_list.h"
#include "foundation/sysinfo.h"

namespace quillora {

// "dd-mm-yyyy hh:nn:ss: XXXXXXXX message" as the message loop logs an unhandled exception.
std::string ExceptionLogLine(unsigned address, const std::string& message);
// Writes the six header lines of the exception log into the list (keeping older entries).
void WriteExceptionLogHeader(TOptionsList& log, const TSystemDescription& sys);
// The start-up's part: the log is read when it exists (an unreadable one starts over), gets its
// header and is written back at once.
void LoadExceptionLog(TOptionsList& log, const std::string& path, const TSystemDescription& sys);
// Appends a line to the running program's log (the oldest entry goes beyond 200 lines) and saves
// it; failures and a program that has not started are ignored.
void AppendExceptionLog(const std::string& line);

}  // namespace quillora
