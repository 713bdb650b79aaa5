#include "ui/RecentFiles.h"

#include "base/ErrorGuard.h"
#include "settings/XMLGlobal.h"
#include "ui/Dialogs.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>

namespace {
QString EntryName(pugi::xml_node aEntry)
{
    return GetAttrString(QStringLiteral("Name"), aEntry, QString());
}
} // namespace

void FillRecentFilesMenu(QMenu* aMenu, pugi::xml_node aList, bool aDropMissing,
                         const std::function<void(const QString&)>& aChosen)
{
    aMenu->clear();
    if (aDropMissing) {
        for (pugi::xml_node entry = aList.child("RecentFile"); entry;) {
            const pugi::xml_node next = entry.next_sibling("RecentFile");
            if (!QFileInfo::exists(EntryName(entry)))
                aList.remove_child(entry);
            entry = next;
        }
    }
    int number = 0;
    for (pugi::xml_node entry : aList.children("RecentFile")) {
        QAction* item = aMenu->addAction(QStringLiteral("&%1 %2").arg(++number).arg(EntryName(entry)));
        QObject::connect(item, &QAction::triggered, aMenu, [item, aChosen] {
            // The caption is all there is to go by once the list may have changed.
            const QString caption = item->text();
            const QString file = caption.mid(caption.indexOf(QLatin1Char(' ')) + 1);
            Guarded([&] { aChosen(file); });
        });
    }
}

QString NewestRecentFile(pugi::xml_node aList)
{
    return EntryName(aList.child("RecentFile"));
}

QString AskForFile(QWidget* aParent, const TFileDialogSetup& aSetup)
{
    QFileDialog dialog(aParent, aSetup.Title);
    dialog.setObjectName(aSetup.ObjectName);
    dialog.setAcceptMode(aSetup.Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(aSetup.Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilters(aSetup.Filters);
    const auto suffixFor = [&aSetup](qsizetype aFilter) {
        if (aSetup.Suffixes.isEmpty())
            return QString();
        return aSetup.Suffixes.value(aFilter, aSetup.Suffixes.last());
    };
    dialog.setDefaultSuffix(suffixFor(0));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog, &aSetup, suffixFor](const QString& aFilter) {
                         dialog.setDefaultSuffix(suffixFor(aSetup.Filters.indexOf(aFilter)));
                     });
    if (aSetup.Preset.isEmpty()) {
        dialog.setDirectory(QCoreApplication::applicationDirPath());
    } else {
        dialog.setDirectory(QFileInfo(aSetup.Preset).absolutePath());
        dialog.selectFile(aSetup.Preset);
    }
    if (ExecDialog(&dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}
