#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <pugixml.hpp>

#include <memory>

// One parameter found in a text:
//   /Param Name="Baud" Group="Port" Default="9600" /Param
// Positions are 1-based and count characters of the parsed text.
struct TTermParam
{
    int StartPos = 0; // the "/" that opens the markup
    int EndPos = 0;   // the "m" of the closing "/Param"; 0 when there is no closing marker
    QString Params;   // the attribute text between the markers
    // The parsed attributes (an element "Body"); empty when the attribute text did not parse
    // or the markup is not closed. Document holds it alive.
    std::shared_ptr<pugi::xml_document> Document;
    pugi::xml_node XMLElement;

    bool IsClosed() const { return EndPos > 0; }
    // The attribute's value, aDefault when the attribute is absent or did not parse.
    QString Attribute(const char* aName, const QString& aDefault) const;
};

using TTermParameters = QList<TTermParam>;

// Finds parameter markup in a text that is about to be sent, asks for the values through the
// installed parameter input (ParameterInput.h) and fills them in. One handler serves one text.
//
// An opening marker without a closing one is kept as plain text: it is listed (EndPos 0)
// but never asked for and never replaced.
class TParameterHandler
{
public:
    TParameterHandler();
    ~TParameterHandler();

    TParameterHandler(const TParameterHandler&) = delete;
    TParameterHandler& operator=(const TParameterHandler&) = delete;

    // Title of the input dialog: "Input (<Name>)".
    QString Name() const { return FName; }
    void SetName(const QString& aName) { FName = aName; }

    const TTermParameters& ParamArray() const { return FParamArray; }

    // Parse errors are shown in a message box (the parser's reason) unless the handler is
    // quiet; a quiet handler only collects them in ParseErrors(). Display-only callers (the
    // tree view) use a quiet handler.
    void SetQuiet(bool aQuiet) { FQuiet = aQuiet; }
    QStringList ParseErrors() const { return FParseErrors; }

    // Appends a record for every markup of aText to ParamArray.
    void ParseForParameters(const QString& aText);
    // The text to send: unchanged when it holds no closed markup, else the values asked for
    // in the input dialog filled in.
    QString CheckForParameter(const QString& aText);
    // Every markup replaced by its "Default" ("0" when absent or unparsable). Never asks.
    QString GetTextWithDefaultValues(const QString& aText);

    // The display name of the i-th parameter: its "Name", or "Parameter(i)".
    static QString ParameterName(const TTermParam& aParam, int aIndex);
    // aText with each closed record's markup replaced by aValues[i] (from last to first).
    static QString ReplaceParameters(const QString& aText, const TTermParameters& aParams,
                                     const QStringList& aValues);

private:
    // Parses aText and returns only its own records: a handler that parsed before still
    // holds the records of the earlier text, whose positions do not fit this one.
    TTermParameters ParseText(const QString& aText);
    QString AskParameterValues(const QString& aText, const TTermParameters& aParams);
    void ReportParseError(const QString& aReason);

    QString FName;
    TTermParameters FParamArray;
    bool FQuiet = false;
    QStringList FParseErrors;
};
