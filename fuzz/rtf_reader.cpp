// RTF documents as the help window meets them: read into a text document and as HTML. A
// document that fails to read says why; one that reads says nothing.

#include "FuzzGui.h"

#include "scripting/RtfReader.h"

#include <QTextDocument>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* aData, size_t aSize)
{
    fuzz::EnsureGuiApp();
    const QByteArray rtf = fuzz::AsBytes(aData, aSize);
    QTextDocument document;
    document.setPlainText(QStringLiteral("vorher"));
    QString error;
    const bool ok = LoadRtf(rtf, document, &error);
    if (ok != error.isEmpty())
        fuzz::Fail("a failed read has a message, a good one none", error);
    document.toPlainText();
    QString htmlError;
    RtfToHtml(rtf, &htmlError);
    if (htmlError.isEmpty() != ok)
        fuzz::Fail("HTML and document agree on a malformed input", htmlError);
    return 0;
}
