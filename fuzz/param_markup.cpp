// Parameter markup in a text to send ("/Param Name=... /Param"): finding it, filling in the
// defaults, asking for values through the parameter input with a record of fields, and the
// command editor's colouring of the same text, line by line.

#include "FuzzSupport.h"

#include "base/VarnexError.h"
#include "commands/ParamTokenizer.h"
#include "commands/ParameterHandler.h"
#include "commands/ParameterInput.h"
#include "commands/RecordFields.h"

namespace {

// Stands in for the input dialog: reads every item as the dialog would show it and answers
// with a value made from the item's own text.
class TAnsweringInput : public IParameterInput
{
public:
    void AskRecord(const QString&, TRecordFields& aFields) override
    {
        try {
            aFields.CheckItems();
        } catch (const EVarnexError&) {
        }
        int i = 0;
        for (pugi::xml_node item : aFields.Root().children("Item")) {
            TRecordFields::IsEditable(item);
            TRecordFields::ChosenEnum(item);
            if (TRecordFields::IsHeading(item))
                continue;
            QString shown;
            try {
                shown = TRecordFields::GetValueFromNode(item);
            } catch (const EVarnexError&) {
            }
            item.attribute("Value").set_value((shown + QString::number(i++)).toUtf8().constData());
        }
    }
};

void CheckTokens(const QString& aText)
{
    TRangeState range = rsUnKnown;
    for (const QString& line : aText.split(u'\n')) {
        int end = 0;
        for (const TParamTokenizer::TToken& token : TParamTokenizer::Tokenize(line, range)) {
            if (token.Pos != end || token.Length <= 0)
                fuzz::Fail("tokens cover the line one after another", line);
            end = token.Pos + token.Length;
            if (!TParamTokenizer::AttributeFor(token.Kind))
                fuzz::Fail("every token has a look", line);
        }
        if (end != line.size())
            fuzz::Fail("tokens reach the line's end", line);
        if (range == rsString)
            fuzz::Fail("no string stays open after its line", line);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* aData, size_t aSize)
{
    fuzz::EnsureCoreApp();
    static TAnsweringInput input;
    const QString text = QString::fromUtf8(fuzz::AsBytes(aData, aSize));

    TParameterHandler display;
    display.SetQuiet(true);
    display.GetTextWithDefaultValues(text);
    for (int i = 0; i < display.ParamArray().size(); ++i)
        TParameterHandler::ParameterName(display.ParamArray()[i], i);

    // Once without an input installed (the defaults stay), once answered.
    TParameterHandler send;
    send.SetName(QStringLiteral("fuzz"));
    SetParameterInput(nullptr);
    send.CheckForParameter(text);
    SetParameterInput(&input);
    send.CheckForParameter(text);
    SetParameterInput(nullptr);

    // A choice list from the same text, as the dialog offers one.
    TRecordFields fields;
    fields.AddEnum(QStringLiteral("choice"), int(aSize % 7) - 1, text);
    fields.AddItem(text);
    fields.AddItem(text, text, TPropDataType(aSize % 4));
    input.AskRecord(QString(), fields);
    fields.ValueByName(text, QString());

    CheckTokens(text);
    return 0;
}
