#include "ui/WidgetServices.h"

#include "commands/WidgetParameterInput.h"
#include "serial/WidgetPortDialogs.h"
#include "ui/MessageBoxPrompts.h"

void InstallWidgetServices()
{
    static TMessageBoxPrompts prompts;
    static TWidgetPortDialogs portDialogs;
    static TWidgetParameterInput parameterInput;
    SetPrompts(&prompts);
    SetPortDialogs(&portDialogs);
    SetParameterInput(&parameterInput);
}
