// exit_status: ends with the status that the EXIT_STATUS environment variable holds
// (decimal, or hexadecimal after 0x), 1 without it. The recipes put it in drvremove.exe's
// place to see how their scripts take statuses that drvremove never gives under Wine:
// 3010, and SetupAPI codes such as 0xE000023D that read as negative numbers.
#include "kit.h"

#include <stdlib.h>

int main(int argc, char **argv)
{
    (void)argc;
    (void)argv;
    const char *status = getenv("EXIT_STATUS");
    return status ? (int)strtoul(status, NULL, 0) : 1;
}
