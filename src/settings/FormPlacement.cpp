#include "settings/FormPlacement.h"

#include "settings/BaseXMLSettings.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {

// Show states kept in the file, numbered as the placement records of the first version.
constexpr int kShowNormal = 1;
constexpr int kShowMinimized = 2;
constexpr int kShowMaximized = 3;

QRect DesktopRect()
{
    QRect desktop;
    for (const QScreen* screen : QGuiApplication::screens())
        desktop = desktop.united(screen->geometry());
    return desktop;
}

} // namespace

pugi::xml_node LoadForm(TBaseXMLSettings& aSettings, QWidget* aForm, const QString& aName, bool aDialog)
{
    if (!aForm || !aSettings.GetDOM())
        return {};
    const QSize designed = aForm->size();
    const pugi::xml_node element = aSettings.FindFormElement(aName);
    if (element) {
        const QRect current =
            aForm->isMaximized() || aForm->isMinimized() ? aForm->normalGeometry() : aForm->geometry();
        const int left = GetAttrInt(QStringLiteral("Left"), element, current.left());
        const int top = GetAttrInt(QStringLiteral("Top"), element, current.top());
        const int right = GetAttrInt(QStringLiteral("Right"), element, current.left() + current.width());
        const int bottom = GetAttrInt(QStringLiteral("Bottom"), element, current.top() + current.height());
        const int state = GetAttrInt(QStringLiteral("State"), element, kShowNormal);
        aForm->setGeometry(left, top, qMax(1, right - left), qMax(1, bottom - top));
        aForm->setWindowState(state == kShowMaximized       ? Qt::WindowMaximized
                                  : state == kShowMinimized ? Qt::WindowMinimized
                                                            : Qt::WindowNoState);
    }
    if (aDialog)
        aForm->resize(designed);

    // Keep the window on the desktop: left, top, then right and bottom edges.
    const QRect desktop = DesktopRect();
    if (desktop.isValid() && !aForm->isMaximized()) {
        QRect window = aForm->geometry();
        if (window.left() < desktop.left())
            window.moveLeft(desktop.left());
        if (window.top() < desktop.top())
            window.moveTop(desktop.top());
        if (desktop.left() + desktop.width() < window.left() + window.width())
            window.moveLeft(desktop.left() + desktop.width() - window.width());
        if (desktop.top() + desktop.height() < window.top() + window.height())
            window.moveTop(desktop.top() + desktop.height() - window.height());
        // A form left where it is stays unmoved in Qt's eyes, so a dialog without a stored
        // place is still centred over its owner.
        if (window != aForm->geometry())
            aForm->setGeometry(window);
    }
    return element;
}

pugi::xml_node SaveForm(TBaseXMLSettings& aSettings, QWidget* aForm, const QString& aName)
{
    if (!aForm || !aSettings.GetDOM())
        return {};
    pugi::xml_node element = aSettings.FindFormElement(aName);
    if (!element) {
        element = aSettings.GetFormsRoot().append_child("Form");
        element.append_child("Position").append_attribute("Name").set_value("Min");
        element.append_child("Position").append_attribute("Name").set_value("Max");
    }
    const QRect normal =
        aForm->isMaximized() || aForm->isMinimized() ? aForm->normalGeometry() : aForm->geometry();
    const int state = aForm->isMinimized() ? kShowMinimized
        : aForm->isMaximized()             ? kShowMaximized
                                           : kShowNormal;
    SetAttrString(element, QStringLiteral("Name"), aName);
    SetAttrInt(element, QStringLiteral("Left"), normal.left());
    SetAttrInt(element, QStringLiteral("Top"), normal.top());
    SetAttrInt(element, QStringLiteral("Right"), normal.left() + normal.width());
    SetAttrInt(element, QStringLiteral("Bottom"), normal.top() + normal.height());
    SetAttrInt(element, QStringLiteral("State"), state);
    SetAttrInt(element, QStringLiteral("Flags"), 0);
    // Qt knows no separate minimized and maximized positions; both hold where the window is.
    for (const char* which : {"Min", "Max"}) {
        pugi::xml_node position = ChildByName(element, "Position", QString::fromLatin1(which));
        SetAttrInt(position, QStringLiteral("Left"), aForm->x());
        SetAttrInt(position, QStringLiteral("Top"), aForm->y());
    }
    return element;
}
