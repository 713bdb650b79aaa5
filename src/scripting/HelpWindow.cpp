#include "scripting/HelpWindow.h"

#include "log/Log.h"
#include "scripting/RtfReader.h"
#include "ui_HelpWindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QScreen>
#include <QShowEvent>
#include <QTextBrowser>

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 520;

struct TRoutine
{
    const char* Declaration;
    const char* Description;
};

// The routines the program gives every script, as a script declares them.
constexpr TRoutine kRoutines[] = {
    {"procedure ShowMessage(const aMsg: string);", "Zeigt aMsg in einem Meldungsfenster an."},
    {"function CRC16(aInitCRC: cardinal; aText: String): WORD;",
     "Berechnet die 16-Bit-Prüfsumme (CRC16) von aText, beginnend mit dem Startwert aInitCRC."},
    {"function CRC32(aInitCRC: cardinal; aText: String): Cardinal;",
     "Berechnet die 32-Bit-Prüfsumme (CRC32) von aText, beginnend mit dem Startwert aInitCRC."},
    {"procedure Send(const aText: string);", "Sendet aText sofort über die geöffnete Schnittstelle."},
    {"procedure writeln(const aText: string);",
     "Schreibt aText als eigene Zeile in die Meldungen des Scripts."},
    {"procedure SetRTS(aSet: boolean);",
     "Setzt die Steuerleitung RTS (aSet = True) oder nimmt sie zurück (aSet = False)."},
    {"procedure SetDTR(aSet: boolean);",
     "Setzt die Steuerleitung DTR (aSet = True) oder nimmt sie zurück (aSet = False)."},
    {"function GetRTS/GetCTS/GetDSR/GetDTR/GetRing: boolean;",
     "Liefert den Zustand der Leitung RTS, CTS, DSR, DTR bzw. RI (Ring): True, wenn sie "
     "gesetzt ist."},
};

} // namespace

TfrmHelpWindow::TfrmHelpWindow(QWidget* aParent, const QString& aDirectory)
    : QDialog(aParent)
    , ui(std::make_unique<Ui::TfrmHelpWindow>())
{
    ui->setupUi(this);
    setWindowTitle(QStringLiteral("Hilfe"));
    // A dialog border: the size is fixed.
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint, true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFixedSize(kWidth, kHeight);
    connect(ui->bClose, &QPushButton::clicked, this, &TfrmHelpWindow::close);
    LoadHelpText(aDirectory);
}

TfrmHelpWindow::~TfrmHelpWindow() = default;

QTextBrowser* TfrmHelpWindow::edHelpText() const
{
    return ui->edHelpText;
}

void TfrmHelpWindow::LoadHelpText(const QString& aDirectory)
{
    const QDir directory(aDirectory.isEmpty() ? QCoreApplication::applicationDirPath() : aDirectory);
    const QString fileName = directory.filePath(HelpFileName());
    FFromFile = false;
    if (QFile::exists(fileName)) {
        QFile file(fileName);
        QString error;
        if (!file.open(QIODevice::ReadOnly)) {
            qCWarning(lcScript).noquote() << "Hilfetext nicht lesbar:" << fileName << file.errorString();
        } else if (!LoadRtf(file.readAll(), *ui->edHelpText->document(), &error)) {
            qCWarning(lcScript).noquote() << "Hilfetext fehlerhaft:" << fileName << error;
        } else {
            FFromFile = true;
        }
    }
    if (!FFromFile)
        ui->edHelpText->setHtml(BuiltInHelpText());
    ui->edHelpText->moveCursor(QTextCursor::Start);
}

QString TfrmHelpWindow::BuiltInHelpText()
{
    QString html;
    html += QStringLiteral("<p>Ein Script beginnt mit <b>begin</b> und endet mit <b>end.</b> (mit Punkt). "
                           "Vor <b>begin</b> können Funktionen, Prozeduren und Variablen deklariert werden. "
                           "Ein Script besteht immer aus genau einer Datei; weitere Dateien können nicht "
                           "eingebunden werden.</p>"
                           "<p>Geschrieben werden Scripte in Pascal (Delphi-Dialekt). Neben den üblichen "
                           "Routinen wie IntToHex, Chr, Ord, Hi, Lo, Length und Copy stellt das Programm "
                           "folgende Routinen zur Verfügung:</p>");
    for (const TRoutine& routine : kRoutines) {
        html += QStringLiteral("<p><b>%1</b><br>%2</p>")
                    .arg(QString::fromUtf8(routine.Declaration).toHtmlEscaped(),
                         QString::fromUtf8(routine.Description).toHtmlEscaped());
    }
    html += QStringLiteral("<p>Die Variable <b>Text</b> enthält den Text, der gesendet werden soll, beim "
                           "Empfangsscript den empfangenen Text. Wird Text im Script geändert, wird der "
                           "geänderte Text gesendet bzw. weiterverarbeitet.</p>"
                           "<p><b>Beispiel:</b> Das folgende Script berechnet die CRC16-Prüfsumme des zu "
                           "sendenden Textes, zeigt sie mit ihrem High- und Low-Byte in einer Meldung an und "
                           "hängt zuerst das High-Byte und dann das Low-Byte an den Text an:</p>");
    html += QStringLiteral("<pre>") + ExampleScript().toHtmlEscaped() + QStringLiteral("</pre>");
    return html;
}

QString TfrmHelpWindow::ExampleScript()
{
    return QStringLiteral("var\n"
                          "  crc: Word;\n"
                          "begin\n"
                          "  crc := CRC16(0, Text);\n"
                          "  ShowMessage('CRC16: ' + IntToHex(crc, 4) +\n"
                          "    '  High-Byte: ' + IntToHex(Hi(crc), 2) +\n"
                          "    '  Low-Byte: ' + IntToHex(Lo(crc), 2));\n"
                          "  Text := Text + Chr(Hi(crc)) + Chr(Lo(crc));\n"
                          "end.\n");
}

void TfrmHelpWindow::showEvent(QShowEvent* aEvent)
{
    if (!aEvent->spontaneous())
        CenterOnParent();
    QDialog::showEvent(aEvent);
}

void TfrmHelpWindow::CenterOnParent()
{
    const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    if (!owner)
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(owner->frameGeometry().center());
    // Kept on the owner's screen.
    if (const QScreen* screen = owner->screen()) {
        const QRect area = screen->availableGeometry();
        frame.moveLeft(qMax(area.left(), qMin(frame.left(), area.right() - frame.width() + 1)));
        frame.moveTop(qMax(area.top(), qMin(frame.top(), area.bottom() - frame.height() + 1)));
    }
    move(frame.topLeft());
}
