#pragma once

#include "commands/ParameterInput.h"

// Asks for parameter values in TfrmRecordInput, placed where the user left it last time.
class TWidgetParameterInput final : public IParameterInput
{
public:
    void AskRecord(const QString& aTitle, TRecordFields& aFields) override;
};
