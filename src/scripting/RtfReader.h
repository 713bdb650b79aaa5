#pragma once

#include <QByteArray>
#include <QString>

class QTextDocument;

// Reads an RTF document into a QTextDocument: the text, paragraphs and line breaks, tabs,
// bold, italic, underline, strike-out, super- and subscript, font sizes, the fonts and text
// colours of the document's tables and the paragraphs' alignment. Pictures, objects,
// headers, footers, footnotes and everything else the reader does not know is left out.
//
// Characters come as plain bytes and \'hh in code page 1252 (as Windows writes them), or as
// \uN with the \ucN replacement characters skipped.
//
// aDocument is emptied first. On malformed input - no "{\rtf" at the start, braces that do
// not match, a document cut short - the document keeps everything read up to the fault and
// the function returns false with a message in aError (which may be null).
bool LoadRtf(const QByteArray& aRtf, QTextDocument& aDocument, QString* aError = nullptr);

// The same document as HTML; on malformed input what was read, with the message in aError.
QString RtfToHtml(const QByteArray& aRtf, QString* aError = nullptr);
