// What holds after every run of the installer against the stand-in, whatever the machine
// and whatever failed. The fault matrix and the fuzzer both judge their runs by it.
#pragma once

#include "standin.h"

#include <string>
#include <vector>

// What one Print call wrote, in order: up to the next Print call, or to the end. A write
// that failed wrote nothing.
std::vector<std::string> PrintedLines(const World &w);

// The line that reports a failure of label with code, as the world's output holds it:
// the world's text for the code, or the code in hexadecimal where it has none.
std::string ReportLine(const World &w, const char *label, DWORD code);

// Each invariant that the finished run breaks, described; empty when it broke none.
std::vector<std::string> BrokenInvariants(const World &w, int status, DWORD lastError);
