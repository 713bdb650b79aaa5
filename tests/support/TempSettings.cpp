#include "TempSettings.h"

void TTempSettings::Discard(TBaseXMLSettings* aInstance)
{
    // Deleting saves into the temporary directory, which goes away with it.
    delete aInstance;
}
