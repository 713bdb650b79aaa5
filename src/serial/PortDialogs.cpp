#include "serial/PortDialogs.h"

namespace {
IPortDialogs* gPortDialogs = nullptr;
} // namespace

IPortDialogs* PortDialogs()
{
    return gPortDialogs;
}

void SetPortDialogs(IPortDialogs* aDialogs)
{
    gPortDialogs = aDialogs;
}
