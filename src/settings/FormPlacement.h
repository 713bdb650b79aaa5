#pragma once

#include <QString>

#include <pugixml.hpp>

class QWidget;
class TBaseXMLSettings;

// Window placement under "/Body/Forms": where a window was, how big, and whether it was
// maximised or minimised.

// Puts aForm where it was saved under aName and keeps it on the desktop. A dialog keeps its
// designed size. Returns the placement element; none when there was no saved placement.
pugi::xml_node LoadForm(TBaseXMLSettings& aSettings, QWidget* aForm, const QString& aName, bool aDialog);
// Stores aForm's placement under aName; returns the element written (none without a document).
pugi::xml_node SaveForm(TBaseXMLSettings& aSettings, QWidget* aForm, const QString& aName);
