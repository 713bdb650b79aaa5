#pragma once

#include <QDialog>
#include <QList>

#include <memory>

class QAbstractButton;
class QButtonGroup;
class QRadioButton;
class TComMv;

namespace Ui {
class TEinstellungen;
}

// The sizes of the port-selection dialog for a given number of entries, kept apart from the
// widgets so the arithmetic stays in one place.
struct TEinstellungenLayout
{
    static constexpr int kDesignClientWidth = 300;
    static constexpr int kGroupLeft = 9;
    static constexpr int kGroupTop = 8;
    static constexpr int kDesignGroupWidth = 281;
    static constexpr int kDesignGroupHeight = 201;
    static constexpr int kButtonPanelHeight = 44;
    static constexpr int kEntriesPerColumn = 6;

    int Columns = 1;
    int GroupWidth = kDesignGroupWidth;
    int GroupHeight = kDesignGroupHeight;
    int ClientWidth = kDesignClientWidth;
    int ClientHeight = 0;

    // aWidestText: the widest entry text in pixels of the dialog's font.
    static TEinstellungenLayout Compute(int aEntries, int aWidestText);
};

// Lets the user pick the port by number and reach its line settings. Changes take effect on
// the port at once; there is nothing to cancel.
class TEinstellungen : public QDialog
{
    Q_OBJECT
public:
    explicit TEinstellungen(TComMv& aPort, QWidget* aParent = nullptr);
    ~TEinstellungen() override;

    // One radio per port, in the order added; a checked entry is the port in use.
    void AddEntry(const QString& aText, bool aEnabled, bool aChecked, const QString& aReason = QString());
    // Places the radios column by column and fixes the dialog's size.
    void ArrangeEntries(int aWidestText);

    QList<QRadioButton*> Entries() const { return FEntries; }
    int Columns() const { return FLayout.Columns; }
    // The width an entry text takes in the dialog's font.
    int TextWidth(const QString& aText) const;

    void SetPortCaption(const QString& aCaption);
    void SetPropertiesCaption(const QString& aCaption);
    void SetOKCaption(const QString& aCaption);

private:
    void RadioGbClick(QAbstractButton* aButton);
    void butEigenschaftenClick();
    // A device path not in the list: bound to the next free number from 100 and chosen.
    void butGeraetClick();
    void butOKClick();

    std::unique_ptr<Ui::TEinstellungen> ui;
    TComMv& FPort;
    QButtonGroup* FGroup = nullptr;
    QList<QRadioButton*> FEntries;
    TEinstellungenLayout FLayout;
    // Set while entries are added, so marking the current port does not count as a choice.
    bool FFilling = false;
};
