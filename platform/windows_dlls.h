// The Windows side's own start-up step, before anything else runs.
#pragma once

// From here on, this process loads DLLs, and the DLLs they depend on, from the system
// folder only: never from the program's folder, which others may be able to write to.
void LimitDllSearchToSystemFolder(void);
