#include "commands/CommandEdit.h"

#include "base/ErrorGuard.h"
#include "base/Prompts.h"
#include "commands/CommandTextEdit.h"
#include "commands/ParamHighlight.h"
#include "commands/ShortCutEdit.h"
#include "controls/MvEdit.h"
#include "settings/FormPlacement.h"
#include "settings/VarnexSettings.h"
#include "settings/XMLGlobal.h"
#include "ui/Dialogs.h"
#include "ui_CommandEdit.h"

#include <QAction>
#include <QShowEvent>
#include <QSignalBlocker>

namespace {

const QString kFormName = QStringLiteral("frmCommandEdit");
const QString kMarker = QStringLiteral("/Param");

} // namespace

TfrmCommandEdit::TfrmCommandEdit(QWidget* aParent)
    : QDialog(aParent)
    , ui(std::make_unique<Ui::TfrmCommandEdit>())
{
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    mHighlight = new TParamHighlight(ui->edCommand->document());

    ui->edShortCut->SetMode(TShortCutEdit::TMode::Exact);
    ui->edShortCut->SetShortCut(kNoShortCut);

    TMvEdit* defaultValue = ui->edParamDefault;
    defaultValue->SetVariant(TMvEdit::TVariant::MvEdit);
    defaultValue->SetNumMode(true);
    defaultValue->SetDecimals(0);
    defaultValue->SetValidateMode(TMvEdit::vmNone);
    defaultValue->SetAlignment(TMvEdit::TAlignment::Right);

    QPalette note = ui->memoDescription->palette();
    note.setColor(QPalette::Base, note.color(QPalette::ToolTipBase));
    note.setColor(QPalette::Text, note.color(QPalette::ToolTipText));
    ui->memoDescription->setPalette(note);

    ui->PageControl->setTabEnabled(ui->PageControl->indexOf(ui->tabCode), false);
    addAction(ui->acParamRefresh);

    auto guarded = [this](void (TfrmCommandEdit::*aHandler)()) {
        return [this, aHandler] { Guarded([&] { (this->*aHandler)(); }); };
    };
    connect(ui->butOK, &QPushButton::clicked, this, guarded(&TfrmCommandEdit::butOKClick));
    connect(ui->butCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->acParamRefresh, &QAction::triggered, this, guarded(&TfrmCommandEdit::acParamRefreshExecute));
    connect(ui->acParamInsert, &QAction::triggered, this, guarded(&TfrmCommandEdit::acParamInsertExecute));
    connect(ui->acParamReplace, &QAction::triggered, this, guarded(&TfrmCommandEdit::acParamReplaceExecute));
    connect(ui->acParamTest, &QAction::triggered, this, guarded(&TfrmCommandEdit::acParamTestExecute));
    connect(ui->edParamNr, &QSpinBox::valueChanged, this, guarded(&TfrmCommandEdit::edParamNrChange));
    connect(ui->edCommand, &QPlainTextEdit::textChanged, this, guarded(&TfrmCommandEdit::edCommandChange));
    connect(ui->edCommand, &QPlainTextEdit::cursorPositionChanged, this,
            guarded(&TfrmCommandEdit::ActionList1Update));
    connect(ui->edCommand, &QPlainTextEdit::selectionChanged, this,
            guarded(&TfrmCommandEdit::ActionList1Update));
    connect(ui->edCommand, &TCommandTextEdit::MouseUp, this, guarded(&TfrmCommandEdit::edCommandMouseUp));
    connect(ui->edCommand, &TCommandTextEdit::KeyUp, this,
            [this](int aKey) { Guarded([&] { edCommandKeyUp(aKey); }); });

    ActionList1Update();
}

TfrmCommandEdit::~TfrmCommandEdit() = default;

bool TfrmCommandEdit::IsCommand() const
{
    return HasAttribute(QStringLiteral("Text"), FCommandElement);
}

QString TfrmCommandEdit::CommandText() const
{
    // Untrimmed, so positions found in it are positions in the editor.
    return ui->edCommand->document()->toRawText();
}

bool TfrmCommandEdit::ShowCommandEdit()
{
    ui->edName->setText(GetAttrString(QStringLiteral("Name"), FCommandElement, QString()));
    const bool command = IsCommand();
    if (command) {
        ui->edCommand->SetText(GetAttrString(QStringLiteral("Text"), FCommandElement, QString()));
        ui->edShortCut->SetShortCutText(
            GetAttrString(QStringLiteral("ShortCut"), FCommandElement, QString()));
    }
    for (QWidget* control : std::initializer_list<QWidget*>{ui->edCommand, ui->edShortCut, ui->laShortcut,
                                                            ui->laCommand, ui->PageControl})
        control->setEnabled(command);
    acParamRefreshExecute();
    return ExecDialog(this) == QDialog::Accepted;
}

void TfrmCommandEdit::butOKClick()
{
    SetAttrString(FCommandElement, QStringLiteral("Name"), ui->edName->text());
    if (IsCommand()) {
        SetAttrString(FCommandElement, QStringLiteral("Text"), ui->edCommand->Text());
        SetAttrString(FCommandElement, QStringLiteral("ShortCut"), ui->edShortCut->ShortCutText());
    }
    accept();
}

QString TfrmCommandEdit::AttributeText(const QString& aName, const QString& aValue)
{
    // Quotes, ampersands and angle brackets would end the value or break the parse, and a
    // "/Param" inside it would be taken for the closing marker; as character references
    // they read back as the characters typed.
    QString value = aValue;
    value.replace(u'&', QStringLiteral("&amp;"))
        .replace(u'"', QStringLiteral("&quot;"))
        .replace(u'<', QStringLiteral("&lt;"))
        .replace(kMarker, QStringLiteral("&#47;Param"));
    return QStringLiteral(" %1=\"%2\"").arg(aName, value);
}

QString TfrmCommandEdit::assembleParam() const
{
    const std::pair<QString, QString> fields[] = {
        {QStringLiteral("Name"), ui->edParamName->text()},
        {QStringLiteral("Group"), ui->edParamGroupName->text()},
        {QStringLiteral("Default"), ui->edParamDefault->text()},
    };
    QString markup;
    for (const auto& [name, value] : fields) {
        if (value.isEmpty())
            continue;
        if (markup.isEmpty())
            markup = kMarker;
        markup += AttributeText(name, value);
    }
    if (!markup.isEmpty())
        markup += u' ' + kMarker;
    return markup;
}

QString TfrmCommandEdit::ShownKey(int aParameterIndex) const
{
    if (aParameterIndex < 0 || aParameterIndex >= FParamArray.size())
        return QStringLiteral("new");
    const TTermParam& param = FParamArray[aParameterIndex];
    return QStringLiteral("%1:%2:%3").arg(aParameterIndex).arg(param.IsClosed()).arg(param.Params);
}

void TfrmCommandEdit::ShowParameter(int aParameterIndex)
{
    const int index = qMax(0, aParameterIndex);
    if (index < FParamArray.size()) {
        const TTermParam& param = FParamArray[index];
        if (param.XMLElement) {
            ui->edParamName->setText(param.Attribute("Name", QString()));
            ui->edParamGroupName->setText(param.Attribute("Group", QString()));
            ui->edParamDefault->setText(param.Attribute("Default", QString()));
        }
    } else {
        ui->edParamName->clear();
        ui->edParamGroupName->clear();
        ui->edParamDefault->clear();
    }
    mShownKey = ShownKey(index);
}

int TfrmCommandEdit::CommandIndexFromPos(int aPosition) const
{
    for (int i = 0; i < FParamArray.size(); ++i) {
        const TTermParam& param = FParamArray[i];
        if (param.StartPos <= aPosition && aPosition < param.EndPos)
            return i;
    }
    return -1;
}

void TfrmCommandEdit::acParamRefreshExecute()
{
    // Quiet, because this runs on every keystroke; ReportParseErrors tells each problem once.
    TParameterHandler handler;
    handler.SetQuiet(true);
    handler.ParseForParameters(CommandText());
    FParamArray = handler.ParamArray();
    {
        // A maximum that cuts the value back is no choice of the user's.
        const QSignalBlocker quiet(ui->edParamNr);
        ui->edParamNr->setMaximum(int(FParamArray.size()) + 1);
    }
    // The fields are filled again only when they would show something else; otherwise a
    // click into the text to place the caret would wipe out a parameter being composed.
    const int index = ui->edParamNr->value() - 1;
    if (ShownKey(index) != mShownKey)
        ShowParameter(index);
    ActionList1Update();
    ReportParseErrors(handler.ParseErrors());
}

void TfrmCommandEdit::ReportParseErrors(const QStringList& aErrors)
{
    // Each parameter that does not parse is told about once while it stays broken. The
    // message itself carries a position that moves with every key typed into the markup,
    // so the parameter's number is what identifies the problem.
    QList<int> broken;
    for (int i = 0; i < FParamArray.size(); ++i)
        if (FParamArray[i].IsClosed() && !FParamArray[i].XMLElement)
            broken << i;
    QStringList fresh;
    for (int i = 0; i < broken.size() && i < aErrors.size(); ++i)
        if (!mReportedErrors.contains(broken[i]))
            fresh << aErrors[i];
    mReportedErrors = broken;
    if (!fresh.isEmpty())
        Prompts().ShowMessage(fresh.join(u'\n'));
}

bool TfrmCommandEdit::SelectionCutsParameter() const
{
    return CommandIndexFromPos(ui->edCommand->SelStart()) >= 0
        || CommandIndexFromPos(ui->edCommand->SelEnd()) >= 0;
}

void TfrmCommandEdit::acParamInsertExecute()
{
    const QString markup = assembleParam();
    // Nothing to insert must not delete the selection, and markup inside markup breaks both.
    if (markup.isEmpty() || SelectionCutsParameter())
        return;
    ui->edCommand->InsertText(markup);
    acParamRefreshExecute();
}

void TfrmCommandEdit::acParamReplaceExecute()
{
    const int index = ui->edParamNr->value() - 1;
    if (index < 0 || index >= FParamArray.size() || !FParamArray[index].IsClosed())
        return;
    // Copied: the edit below rebuilds the parameter list.
    const int start = FParamArray[index].StartPos;
    const int end = FParamArray[index].EndPos;
    ui->edCommand->ReplaceRange(start - 1, end - start + 1, assembleParam());
    acParamRefreshExecute();
}

void TfrmCommandEdit::acParamTestExecute()
{
    TParameterHandler handler;
    handler.SetName(ui->edName->text());
    const QString result = handler.CheckForParameter(ui->edCommand->Text());
    Prompts().Ask(IPrompts::TKind::Information, result, {IPrompts::TButton::Ok},
                  QStringLiteral("Test für Parameter"));
}

void TfrmCommandEdit::edParamNrChange()
{
    ShowParameter(ui->edParamNr->value() - 1);
    ActionList1Update();
}

void TfrmCommandEdit::ActionList1Update()
{
    const int count = int(FParamArray.size());
    const int number = ui->edParamNr->value();
    ui->edParamNr->setEnabled(count > 0);
    ui->laParamNr->setEnabled(count > 0);
    ui->acParamInsert->setEnabled(!SelectionCutsParameter());
    // Markup without its closing marker has no end to replace up to.
    ui->acParamReplace->setEnabled(count > 0 && number >= 1 && number <= count
                                   && FParamArray[number - 1].IsClosed());
    ui->acParamTest->setEnabled(count > 0);
}

void TfrmCommandEdit::SyncWithCaret()
{
    acParamRefreshExecute();
    const int index = CommandIndexFromPos(ui->edCommand->CaretOffset());
    if (index >= 0)
        ui->edParamNr->setValue(index + 1);
    ActionList1Update();
}

void TfrmCommandEdit::edCommandChange()
{
    SyncWithCaret();
}

void TfrmCommandEdit::edCommandKeyUp(int aKey)
{
    if (aKey == Qt::Key_Left || aKey == Qt::Key_Right)
        SyncWithCaret();
}

void TfrmCommandEdit::edCommandMouseUp()
{
    SyncWithCaret();
}

void TfrmCommandEdit::showEvent(QShowEvent* aEvent)
{
    if (!aEvent->spontaneous())
        Guarded([this] { FormShow(); });
    QDialog::showEvent(aEvent);
}

void TfrmCommandEdit::FormShow()
{
    TVarnexSettings* settings = VarnexSettings();
    if (settings && settings->XMLEnabled())
        LoadForm(*settings, this, kFormName, true);
}

void TfrmCommandEdit::done(int aResult)
{
    Guarded([this] { FormCloseQuery(); });
    QDialog::done(aResult);
}

bool TfrmCommandEdit::FormCloseQuery()
{
    // A dialog that was never on screen has no position worth keeping.
    if (!isVisible())
        return true;
    TVarnexSettings* settings = VarnexSettings();
    if (settings && settings->XMLEnabled())
        SaveForm(*settings, this, kFormName);
    return true;
}
