#pragma once

#include <QString>

class TRecordFields;

// Where the values of a command's parameters are asked for, installed by the user interface.
// Without one the parameters keep their defaults.
class IParameterInput
{
public:
    virtual ~IParameterInput() = default;
    // Shows aFields under aTitle; the values the user leaves stay in aFields.
    virtual void AskRecord(const QString& aTitle, TRecordFields& aFields) = 0;
};

// The installed input, or nullptr.
IParameterInput* ParameterInput();
void SetParameterInput(IParameterInput* aInput);
