#pragma once

#include <QString>
#include <QStringList>

#include <pugixml.hpp>

#include <functional>

class QMenu;
class QWidget;

// The recent-files drop-downs and the file dialogs of the main window, which all work alike.

// Fills aMenu with the "RecentFile" entries under aList, newest first, as "&1 <file>",
// "&2 <file>", ...; choosing one hands the file (the caption after its first blank) to aChosen.
// With aDropMissing, entries whose file is gone are removed from the list first.
void FillRecentFilesMenu(QMenu* aMenu, pugi::xml_node aList, bool aDropMissing,
                         const std::function<void(const QString&)>& aChosen);

// The newest entry of a recent-files list; empty when there is none.
QString NewestRecentFile(pugi::xml_node aList);

struct TFileDialogSetup
{
    QString Title;
    QString ObjectName;
    bool Save = false;
    QStringList Filters;
    // The extension added to a name without one, per filter (the last one for the rest).
    QStringList Suffixes;
    // Where the dialog starts: this file in its folder; without one, the program's folder.
    QString Preset;
};

// The file the user chose; empty when the dialog was cancelled.
QString AskForFile(QWidget* aParent, const TFileDialogSetup& aSetup);
