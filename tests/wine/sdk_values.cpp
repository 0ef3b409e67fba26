// Compiled by the cross compiler only: each constant the host build declares for itself
// must have the SDK's own value, or this does not compile.
#include <windows.h>
#include <setupapi.h>
#include <newdev.h>
#include <cfgmgr32.h>

#include "platform/host_constants.h"

#define MATCHES_SDK(name, value) \
    static_assert((unsigned long long)(value) == (unsigned long long)(name), #name " differs from the SDK");
HOST_CONSTANTS(MATCHES_SDK)
