#include "ui/AboutWindow.h"

#include "VarnexVersion.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <pugixml.hpp>

TfrmAbout::TfrmAbout(QWidget* aParent)
    : QDialog(aParent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("Info"));
    auto* layout = new QVBoxLayout(this);

    auto* name = new QLabel(QStringLiteral("Varnex"), this);
    name->setObjectName(QStringLiteral("laProduct"));
    QFont big = name->font();
    big.setPointSizeF(big.pointSizeF() * 1.8);
    big.setBold(true);
    name->setFont(big);
    layout->addWidget(name);

    auto* version = new QLabel(QStringLiteral("Version %1").arg(QStringLiteral(VARNEX_VERSION_STRING)), this);
    version->setObjectName(QStringLiteral("laVersion"));
    version->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(version);
    layout->addWidget(
        new QLabel(QStringLiteral("Terminal für serielle Schnittstellen (RS-232, USB-seriell)."), this));
    layout->addSpacing(8);

    const int pugi = PUGIXML_VERSION;
    const QString components =
        QStringLiteral("<b>Verwendete Bibliotheken</b><br>"
                       "Qt %1 &ndash; GNU Lesser General Public License 3.0 "
                       "(<a href=\"https://www.qt.io/licensing/open-source-lgpl-obligations\">Lizenz</a>)<br>"
                       "pugixml %2.%3 &ndash; MIT-Lizenz "
                       "(<a href=\"https://pugixml.org/license.html\">Lizenz</a>)")
            .arg(QString::fromLatin1(qVersion()))
            .arg(pugi / 1000)
            .arg(pugi % 1000 / 10);
    auto* libraries = new QLabel(components, this);
    libraries->setObjectName(QStringLiteral("laComponents"));
    libraries->setOpenExternalLinks(true);
    libraries->setTextFormat(Qt::RichText);
    layout->addWidget(libraries);
    layout->addSpacing(8);

    const QString homepage = QStringLiteral(VARNEX_HOMEPAGE);
    auto* contact = new QLabel(
        QStringLiteral("Kontakt und Hilfe: <a href=\"%1\">%1</a>").arg(homepage.toHtmlEscaped()), this);
    contact->setObjectName(QStringLiteral("laContact"));
    contact->setOpenExternalLinks(true);
    contact->setTextFormat(Qt::RichText);
    layout->addWidget(contact);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* close = buttons->addButton(QStringLiteral("Schliessen"), QDialogButtonBox::AcceptRole);
    close->setObjectName(QStringLiteral("bClose"));
    close->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
