#include "terminal/ReceiveFindBar.h"

#include "base/ErrorGuard.h"
#include "terminal/ReceiveSearch.h"
#include "terminal/ReceiveView.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QStyle>
#include <QToolButton>

TReceiveFindBar::TReceiveFindBar(TReceiveView* aView, QWidget* aParent)
    : QWidget(aParent)
    , mView(aView)
{
    setObjectName(QStringLiteral("paFind"));
    mEdit = new QLineEdit(this);
    mEdit->setObjectName(QStringLiteral("edFind"));
    mEdit->setPlaceholderText(QStringLiteral("Suchen"));
    mEdit->setClearButtonEnabled(true);
    mEdit->setToolTip(QStringLiteral("Text, der im Empfangsfenster gesucht wird (Eingabe: nächster, "
                                     "Umsch+Eingabe: vorheriger Treffer, Esc: schließen)"));

    auto button = [this](const char* aName, const QString& aTip) {
        auto* b = new QToolButton(this);
        b->setObjectName(QLatin1String(aName));
        b->setToolTip(aTip);
        b->setAutoRaise(true);
        // The keys do the same from the field; the buttons need not take the focus from it.
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };
    mPrevious = button("bFindPrevious", QStringLiteral("Vorheriger Treffer (Umsch+Eingabe)"));
    mPrevious->setArrowType(Qt::UpArrow);
    mNext = button("bFindNext", QStringLiteral("Nächster Treffer (Eingabe)"));
    mNext->setArrowType(Qt::DownArrow);
    mCaseBox = new QCheckBox(QStringLiteral("Groß-/Kleinschreibung beachten"), this);
    mCaseBox->setObjectName(QStringLiteral("cbFindCase"));
    mCount = new QLabel(this);
    mCount->setObjectName(QStringLiteral("laFindCount"));
    mClose = button("bFindClose", QStringLiteral("Suche schließen (Esc)"));
    mClose->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(2, 2, 2, 2);
    row->setSpacing(4);
    // The field keeps its width while the count grows; the space left over takes the change.
    mEdit->setMinimumWidth(mEdit->fontMetrics().averageCharWidth() * 28);
    row->addWidget(mEdit);
    row->addWidget(mPrevious);
    row->addWidget(mNext);
    row->addWidget(mCaseBox);
    row->addWidget(mCount);
    row->addStretch(1);
    row->addWidget(mClose);
    for (QWidget* child : {static_cast<QWidget*>(mEdit), static_cast<QWidget*>(mCaseBox)})
        child->installEventFilter(this);

    TReceiveSearch* search = mView->Search();
    connect(mEdit, &QLineEdit::textChanged, this, [this] { Guarded([this] { Restart(); }); });
    connect(mCaseBox, &QCheckBox::toggled, this, [this] { Guarded([this] { Restart(); }); });
    connect(mPrevious, &QToolButton::clicked, this, [this] { Guarded([this] { Step(true); }); });
    connect(mNext, &QToolButton::clicked, this, [this] { Guarded([this] { Step(false); }); });
    connect(mClose, &QToolButton::clicked, this, [this] { Close(); });
    connect(search, &TReceiveSearch::Progress, this, &TReceiveFindBar::UpdateCount);
    connect(search, &TReceiveSearch::CurrentChanged, this, &TReceiveFindBar::UpdateCount);
    hide();
}

void TReceiveFindBar::Open()
{
    if (isHidden()) {
        show();
        mView->SetAutoScrollHeld(true);
        if (!mEdit->text().isEmpty())
            Restart();
    }
    mEdit->setFocus(Qt::ShortcutFocusReason);
    mEdit->selectAll();
}

void TReceiveFindBar::Close()
{
    hide();
    mView->Search()->Stop();
    mView->SetAutoScrollHeld(false);
    mView->setFocus(Qt::OtherFocusReason);
}

bool TReceiveFindBar::IsBarKey(const QKeyEvent* aEvent)
{
    const int key = aEvent->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
}

bool TReceiveFindBar::OwnsKey(const QObject* aReceiver, const QKeyEvent* aEvent) const
{
    return aReceiver && aReceiver->isWidgetType() && isVisible() && IsBarKey(aEvent)
        && isAncestorOf(static_cast<const QWidget*>(aReceiver));
}

bool TReceiveFindBar::eventFilter(QObject* aWatched, QEvent* aEvent)
{
    // Taken before any shortcut of the window sees them (a menu entry may be given Enter).
    if (aEvent->type() == QEvent::ShortcutOverride && IsBarKey(static_cast<QKeyEvent*>(aEvent))) {
        aEvent->accept();
        return true;
    }
    if (aEvent->type() == QEvent::KeyPress && IsBarKey(static_cast<QKeyEvent*>(aEvent))) {
        const auto* key = static_cast<QKeyEvent*>(aEvent);
        if (key->key() == Qt::Key_Escape)
            Close();
        else
            Guarded([&] { Step(key->modifiers() & Qt::ShiftModifier); });
        // Taken here: a line edit would pass Enter on to its parents after reporting it.
        return true;
    }
    return QWidget::eventFilter(aWatched, aEvent);
}

void TReceiveFindBar::Restart()
{
    TReceiveSearch* search = mView->Search();
    // Typing on keeps the match in view where it is; a bar opened again starts at the match
    // it left selected.
    qint64 from = search->Current().Start;
    if (!search->Current().IsValid() || !mView->IsOffsetVisible(from))
        from = mView->SelectionStartOffset();
    if (from < 0 || !mView->IsOffsetVisible(from))
        from = mView->FirstVisibleOffset();
    search->Start(mEdit->text(), mCaseBox->isChecked(), from);
    UpdateCount();
}

void TReceiveFindBar::Step(bool aBackward)
{
    TReceiveSearch* search = mView->Search();
    if (!search->IsActive()) {
        Restart();
        return;
    }
    if (aBackward)
        search->FindPrevious(mView->FirstVisibleOffset());
    else
        search->FindNext(mView->FirstVisibleOffset());
    UpdateCount();
}

QString TReceiveFindBar::CountText() const
{
    const TReceiveSearch* search = mView->Search();
    if (!search->IsActive())
        return {};
    const QLocale german(QLocale::German);
    const qint64 count = search->Count();
    const qint64 number = search->Current().IsValid() ? search->CurrentNumber() : 0;
    const QString total = german.toString(count);
    if (search->IsCounting() || search->IsFinding()) {
        if (number > 0)
            return QStringLiteral("%1 von %2 Treffern bisher").arg(german.toString(number), total);
        return QStringLiteral("%1 Treffer bisher").arg(total);
    }
    if (count == 0)
        return QStringLiteral("Kein Treffer");
    if (number > 0)
        return QStringLiteral("%1 von %2 %3")
            .arg(german.toString(number), total,
                 count == 1 ? QStringLiteral("Treffer") : QStringLiteral("Treffern"));
    return QStringLiteral("%1 Treffer").arg(total);
}

void TReceiveFindBar::UpdateCount()
{
    mCount->setText(CountText());
    mPrevious->setEnabled(mView->Search()->IsActive());
    mNext->setEnabled(mView->Search()->IsActive());
}
