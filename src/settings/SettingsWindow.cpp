#include "settings/SettingsWindow.h"

#include "base/ErrorGuard.h"
#include "settings/FontFrame.h"
#include "settings/FormPlacement.h"
#include "settings/GeneralSettingsFrame.h"
#include "settings/HistoryFrame.h"
#include "settings/ShortCutSettignsFrame.h"
#include "settings/VarnexSettings.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QShowEvent>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
const QString kFormName = QStringLiteral("frmSettings");
} // namespace

TfrmSettings::TfrmSettings(QWidget* aParent)
    : QDialog(aParent)
{
    setObjectName(QStringLiteral("frmSettings"));
    setWindowTitle(QStringLiteral("Settings"));
    setFixedSize(577, 447);

    auto* layout = new QHBoxLayout(this);
    tvSettings = new QTreeWidget(this);
    tvSettings->setObjectName(QStringLiteral("tvSettings"));
    tvSettings->setFixedWidth(121);
    tvSettings->setHeaderHidden(true);
    tvSettings->setRootIsDecorated(false);
    tvSettings->setItemsExpandable(false);
    tvSettings->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tvSettings->setSelectionBehavior(QAbstractItemView::SelectRows);
    tvSettings->setMouseTracking(true);
    tvSettings->setIconSize(QSize(20, 20));
    const QStringList pages = {QStringLiteral("Allgemein"), QStringLiteral("History"),
                               QStringLiteral("Schriftarten"), QStringLiteral("Tastenkürzel")};
    for (int i = 0; i < pages.size(); ++i) {
        auto* node = new QTreeWidgetItem(tvSettings, {pages.at(i)});
        node->setIcon(0, SettingsPicture(i));
    }
    connect(tvSettings, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* aNode) { Guarded([&] { tvSettingsChange(aNode); }); });
    layout->addWidget(tvSettings);

    auto* right = new QVBoxLayout;
    paFrame = new QWidget(this);
    paFrame->setObjectName(QStringLiteral("paFrame"));
    auto* frameLayout = new QVBoxLayout(paFrame);
    frameLayout->setContentsMargins(0, 0, 0, 0);
    right->addWidget(paFrame, 1);
    auto* bar = new QDialogButtonBox(this);
    QPushButton* bClose = bar->addButton(QStringLiteral("Schliessen"), QDialogButtonBox::AcceptRole);
    bClose->setObjectName(QStringLiteral("bClose"));
    bClose->setDefault(true);
    connect(bar, &QDialogButtonBox::accepted, this, &QDialog::accept);
    right->addWidget(bar);
    layout->addLayout(right, 1);
}

TfrmSettings::~TfrmSettings() = default;

void TfrmSettings::tvSettingsChange(QTreeWidgetItem* aNode)
{
    if (!aNode)
        return;
    switch (tvSettings->indexOfTopLevelItem(aNode)) {
    case 0: ShowNewFrame(new TGeneralSettignsFrame); break;
    case 1: ShowNewFrame(new TfrmHistory); break;
    case 2: ShowNewFrame(new TfrmFontFrame); break;
    case 3: {
        auto* frame = new TShortcutSettingsFrame;
        ShowNewFrame(frame);
        frame->SetActionList(FActionList);
        break;
    }
    default: break;
    }
}

void TfrmSettings::CloseCurrentFrame()
{
    if (!mCurrentFrame)
        return;
    QWidget* frame = mCurrentFrame;
    mCurrentFrame = nullptr;
    if (auto* settingsFrame = dynamic_cast<ISettingsFrame*>(frame))
        settingsFrame->Save();
    delete frame;
}

ISettingsFrame* TfrmSettings::ShowNewFrame(QWidget* aNewFrame)
{
    CloseCurrentFrame();
    mCurrentFrame = aNewFrame;
    if (!aNewFrame)
        return nullptr;
    aNewFrame->setParent(paFrame);
    paFrame->layout()->addWidget(aNewFrame);
    aNewFrame->show();
    auto* settingsFrame = dynamic_cast<ISettingsFrame*>(aNewFrame);
    if (settingsFrame) {
        settingsFrame->SetSettings(FSettings);
        settingsFrame->Load();
    }
    return settingsFrame;
}

void TfrmSettings::showEvent(QShowEvent* aEvent)
{
    if (!aEvent->spontaneous())
        Guarded([this] { FormShow(); });
    QDialog::showEvent(aEvent);
}

void TfrmSettings::FormShow()
{
    if (FSettings && FSettings->XMLEnabled())
        LoadForm(*FSettings, this, kFormName, true);
}

void TfrmSettings::done(int aResult)
{
    Guarded([this] { FormCloseQuery(); });
    QDialog::done(aResult);
}

void TfrmSettings::FormCloseQuery()
{
    CloseCurrentFrame();
    // A dialog that was never on screen has no position worth keeping.
    if (isVisible() && FSettings && FSettings->XMLEnabled())
        SaveForm(*FSettings, this, kFormName);
}
