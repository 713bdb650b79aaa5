#include "settings/SettingsFrame.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QVBoxLayout>

namespace {

QPixmap DrawPicture(int aPage, int aSize)
{
    QPixmap picture(aSize, aSize);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor ink(0x2A, 0x5D, 0x8F);
    const qreal s = aSize;
    painter.setPen(QPen(ink, qMax(1.0, s / 14)));
    switch (aPage) {
    case 0: { // a cog: the program's own behaviour
        painter.setBrush(ink.lighter(170));
        for (int i = 0; i < 8; ++i) {
            painter.save();
            painter.translate(s / 2, s / 2);
            painter.rotate(45.0 * i);
            painter.drawRect(QRectF(-s / 14, -s * 0.47, s / 7, s * 0.2));
            painter.restore();
        }
        painter.drawEllipse(QPointF(s / 2, s / 2), s * 0.3, s * 0.3);
        painter.setBrush(Qt::white);
        painter.drawEllipse(QPointF(s / 2, s / 2), s * 0.11, s * 0.11);
        break;
    }
    case 1: { // a clock: files at an interval
        painter.setBrush(Qt::white);
        painter.drawEllipse(QPointF(s / 2, s / 2), s * 0.42, s * 0.42);
        painter.drawLine(QPointF(s / 2, s / 2), QPointF(s / 2, s * 0.22));
        painter.drawLine(QPointF(s / 2, s / 2), QPointF(s * 0.72, s / 2));
        break;
    }
    case 2: { // a letter: fonts
        QFont font(QStringLiteral("Serif"));
        font.setPixelSize(int(s * 0.85));
        font.setBold(true);
        painter.setFont(font);
        painter.setPen(ink);
        painter.drawText(QRectF(0, 0, s, s), Qt::AlignCenter, QStringLiteral("A"));
        break;
    }
    default: { // a key cap: shortcuts
        painter.setBrush(ink.lighter(180));
        painter.drawRoundedRect(QRectF(s * 0.1, s * 0.15, s * 0.8, s * 0.7), s * 0.12, s * 0.12);
        QFont font;
        font.setPixelSize(int(s * 0.4));
        font.setBold(true);
        painter.setFont(font);
        painter.drawText(QRectF(0, 0, s, s), Qt::AlignCenter, QStringLiteral("F5"));
        break;
    }
    }
    return picture;
}

} // namespace

QIcon SettingsPicture(int aPage)
{
    QIcon icon;
    for (int size : {20, 32, 48})
        icon.addPixmap(DrawPicture(aPage, size));
    return icon;
}

TSettingsFrame::TSettingsFrame(int aPage, const QString& aInfo, QWidget* aParent)
    : QWidget(aParent)
{
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);

    auto* paInfo = new QFrame(this);
    paInfo->setObjectName(QStringLiteral("paInfo"));
    paInfo->setFrameShape(QFrame::StyledPanel);
    paInfo->setAutoFillBackground(true);
    QPalette infoPalette = paInfo->palette();
    infoPalette.setColor(QPalette::Window, infoPalette.color(QPalette::ToolTipBase));
    infoPalette.setColor(QPalette::WindowText, infoPalette.color(QPalette::ToolTipText));
    paInfo->setPalette(infoPalette);
    auto* infoRow = new QHBoxLayout(paInfo);
    auto* infoIcon = new QLabel(paInfo);
    infoIcon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(24, 24));
    infoIcon->setAlignment(Qt::AlignTop);
    auto* laInfo = new QLabel(aInfo, paInfo);
    laInfo->setObjectName(QStringLiteral("laInfo"));
    laInfo->setWordWrap(true);
    laInfo->setFont(QFont(QStringLiteral("Arial")));
    infoRow->addWidget(infoIcon);
    infoRow->addWidget(laInfo, 1);
    outer->addWidget(paInfo);

    auto* row = new QHBoxLayout;
    auto* img1 = new QLabel(this);
    img1->setObjectName(QStringLiteral("img1"));
    img1->setPixmap(SettingsPicture(aPage).pixmap(48, 48));
    img1->setAlignment(Qt::AlignTop);
    row->addWidget(img1);
    FBody = new QVBoxLayout;
    row->addLayout(FBody, 1);
    outer->addLayout(row, 1);
}
