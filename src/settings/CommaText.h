#pragma once

#include <QString>
#include <QStringList>

// Lists as one text, the way list boxes store their items: joined by commas, an item holding
// a blank, a control character, a comma or a double quote written between double quotes (a
// quote inside doubled), a list of one empty item as two double quotes.
QString ToCommaText(const QStringList& aItems);
// Blanks before and after items are skipped; an item in quotes runs to its closing quote, any
// other up to the next comma or blank; a comma at the very end adds an empty item. An empty
// text gives an empty list.
QStringList FromCommaText(const QString& aText);
