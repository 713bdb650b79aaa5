#pragma once

#include <QDialog>
#include <QList>

class QAction;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;
class ISettingsFrame;
class TVarnexSettings;

// The settings that have no control in the main window, one page at a time. Leaving a page
// writes it into the store: there is no cancel.
class TfrmSettings final : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmSettings(QWidget* aParent = nullptr);
    ~TfrmSettings() override;

    const QList<QAction*>& ActionList() const { return FActionList; }
    void SetActionList(const QList<QAction*>& aActions) { FActionList = aActions; }
    TVarnexSettings* Settings() const { return FSettings; }
    void SetSettings(TVarnexSettings* aSettings) { FSettings = aSettings; }

    // The page shown (none before a node is chosen).
    QWidget* CurrentFrame() const { return mCurrentFrame; }
    ISettingsFrame* ShowNewFrame(QWidget* aNewFrame);
    void CloseCurrentFrame();

    void done(int aResult) override;

protected:
    void showEvent(QShowEvent* aEvent) override;

private:
    void tvSettingsChange(QTreeWidgetItem* aNode);
    void FormShow();
    void FormCloseQuery();

    QList<QAction*> FActionList;
    QWidget* mCurrentFrame = nullptr;
    TVarnexSettings* FSettings = nullptr;
    QTreeWidget* tvSettings = nullptr;
    QWidget* paFrame = nullptr;
};
