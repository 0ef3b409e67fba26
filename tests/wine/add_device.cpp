// add_device <hardware ID>...: registers a root-enumerated device that counts as
// present, with these hardware IDs, in the current Wine prefix. Used by the demo.
#include "kit.h"

#include <stdio.h>

int main(int argc, char **argv)
{
    if (argc < 2) {
        printf("usage: add_device <hardware ID>...\n");
        return 2;
    }
    std::string ids;
    for (int i = 1; i < argc; i++)
        ids += std::string(argv[i]) + '\0';
    CreatePresentDevice(ids);
    return CheckSummary("add_device");
}
