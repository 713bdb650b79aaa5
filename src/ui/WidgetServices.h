#pragma once

// Installs what the windowed program shows the user through: message boxes for the prompt
// service, the port dialogs, the parameter input dialog.
void InstallWidgetServices();
