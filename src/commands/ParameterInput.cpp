#include "commands/ParameterInput.h"

namespace {
IParameterInput* gInput = nullptr;
} // namespace

IParameterInput* ParameterInput()
{
    return gInput;
}

void SetParameterInput(IParameterInput* aInput)
{
    gInput = aInput;
}
