// What holds after every run of a program against the stand-in, whatever the machine
// and whatever failed. The fault matrix and the fuzzer both judge their runs by it.
#pragma once

#include "standin.h"

#include <string>
#include <vector>

// What one Print call wrote, in order: up to the next Print call, or to the end. A write
// that failed wrote nothing.
std::vector<std::string> PrintedLines(const World &w);

// What the run still holds that it should have given back (blocks, device sets, file
// searches), described; empty when it gave back everything.
std::string Unreleased(const World &w);

// Each invariant that the finished run of drvplant breaks, described; empty when it broke none.
std::vector<std::string> BrokenInvariants(const World &w, int status, DWORD lastError);

// The same for a run of drvcreate: drvplant's, but for its boxes, and with its own about
// the devices it makes.
std::vector<std::string> BrokenCreationInvariants(const World &w, int status, DWORD lastError);

// The same for a run of drvremove.
std::vector<std::string> BrokenRemovalInvariants(const World &w, int status, DWORD lastError);

// Shared by both programs' invariants. How the calls of op ended: made (attempted), or of
// those, succeeded; and whether a fault was set on op.
size_t CallsMade(const World &w, Op op, bool succeededOnly = false);
bool FaultSetOn(const World &w, Op op);
// What every run of either program keeps (nothing unmodelled asked, everything given
// back), added to broken; true when the run was handed off, and nothing else applies.
bool EveryRunBreaks(const World &w, int status, std::vector<std::string> *broken);
