#include "commands/ParameterHandler.h"

#include "base/Prompts.h"
#include "commands/ParameterInput.h"
#include "commands/RecordFields.h"
#include "settings/XMLGlobal.h"

namespace {

const QString kMarker = QStringLiteral("/Param");

bool HasClosedRecord(const TTermParameters& aParams)
{
    for (const TTermParam& param : aParams)
        if (param.IsClosed())
            return true;
    return false;
}

} // namespace

QString TTermParam::Attribute(const char* aName, const QString& aDefault) const
{
    const pugi::xml_attribute attribute = XMLElement.attribute(aName);
    return attribute ? FromXml(attribute.value()) : aDefault;
}

TParameterHandler::TParameterHandler() = default;

TParameterHandler::~TParameterHandler() = default;

void TParameterHandler::ParseForParameters(const QString& aText)
{
    const qsizetype markerSize = kMarker.size();
    qsizetype scan = 0;
    for (;;) {
        const qsizetype open = aText.indexOf(kMarker, scan, Qt::CaseSensitive);
        if (open < 0)
            return;
        // "//" is an escaped slash, so "//Param" is plain text.
        if (open > 0 && aText[open - 1] == QLatin1Char('/')) {
            scan = open + markerSize;
            continue;
        }
        TTermParam param;
        param.StartPos = int(open) + 1;
        const qsizetype close = aText.indexOf(kMarker, open + markerSize, Qt::CaseSensitive);
        if (close < 0) {
            FParamArray << param;
            return;
        }
        param.EndPos = int(close + markerSize);
        param.Params = aText.mid(open + markerSize, close - open - markerSize);

        auto document = std::make_shared<pugi::xml_document>();
        QString reason;
        // Built by joining rather than by format arguments: the attribute text may hold "%1".
        if (LoadXMLText(*document, QStringLiteral("<Body ") + param.Params + QStringLiteral(" />"),
                        &reason)) {
            param.Document = document;
            param.XMLElement = document->child("Body");
        } else {
            ReportParseError(reason);
        }
        FParamArray << param;
        scan = param.EndPos;
    }
}

void TParameterHandler::ReportParseError(const QString& aReason)
{
    FParseErrors << aReason;
    if (!FQuiet)
        Prompts().ShowMessage(aReason);
}

TTermParameters TParameterHandler::ParseText(const QString& aText)
{
    const qsizetype first = FParamArray.size();
    ParseForParameters(aText);
    return FParamArray.mid(first);
}

QString TParameterHandler::CheckForParameter(const QString& aText)
{
    const TTermParameters params = ParseText(aText);
    if (!HasClosedRecord(params))
        return aText;
    return AskParameterValues(aText, params);
}

QString TParameterHandler::GetTextWithDefaultValues(const QString& aText)
{
    const TTermParameters params = ParseText(aText);
    QStringList defaults;
    for (const TTermParam& param : params)
        defaults << param.Attribute("Default", QStringLiteral("0"));
    return ReplaceParameters(aText, params, defaults);
}

QString TParameterHandler::ParameterName(const TTermParam& aParam, int aIndex)
{
    return aParam.Attribute("Name", QStringLiteral("Parameter(%1)").arg(aIndex));
}

QString TParameterHandler::ReplaceParameters(const QString& aText, const TTermParameters& aParams,
                                             const QStringList& aValues)
{
    QString result = aText;
    // Back to front, so that a longer or shorter value leaves earlier positions valid.
    for (qsizetype i = aParams.size() - 1; i >= 0; --i) {
        const TTermParam& param = aParams[i];
        if (!param.IsClosed() || i >= aValues.size())
            continue;
        result = result.left(param.StartPos - 1) + aValues[i] + result.mid(param.EndPos);
    }
    return result;
}

QString TParameterHandler::AskParameterValues(const QString& aText, const TTermParameters& aParams)
{
    TRecordFields fields;
    QStringList names;
    QStringList defaults;
    for (int i = 0; i < aParams.size(); ++i) {
        const TTermParam& param = aParams[i];
        names << ParameterName(param, i);
        defaults << param.Attribute("Default", QStringLiteral("0"));
        if (!param.IsClosed())
            continue;
        // Every grouped parameter brings its own heading, also under the same group.
        if (param.XMLElement.attribute("Group"))
            fields.AddItem(param.Attribute("Group", QString()));
        fields.AddItem(names[i], defaults[i], dtNumber);
    }
    if (IParameterInput* input = ParameterInput())
        input->AskRecord(QStringLiteral("Input (%1)").arg(FName), fields);

    // Parameters that share a name all take the value of the first item of that name.
    QStringList values;
    for (int i = 0; i < aParams.size(); ++i)
        values << fields.ValueByName(names[i], defaults[i]);
    return ReplaceParameters(aText, aParams, values);
}
