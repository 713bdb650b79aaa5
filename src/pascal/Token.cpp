#include "pascal/Token.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace pascal {

namespace {

struct TKeyword
{
    const char* Text;
    TTokenKind Kind;
};

constexpr TKeyword kKeywords[] = {
    {"and", TTokenKind::kwAnd},
    {"array", TTokenKind::kwArray},
    {"as", TTokenKind::kwAs},
    {"asm", TTokenKind::kwAsm},
    {"begin", TTokenKind::kwBegin},
    {"case", TTokenKind::kwCase},
    {"class", TTokenKind::kwClass},
    {"const", TTokenKind::kwConst},
    {"constructor", TTokenKind::kwConstructor},
    {"destructor", TTokenKind::kwDestructor},
    {"div", TTokenKind::kwDiv},
    {"do", TTokenKind::kwDo},
    {"downto", TTokenKind::kwDownto},
    {"else", TTokenKind::kwElse},
    {"end", TTokenKind::kwEnd},
    {"except", TTokenKind::kwExcept},
    {"file", TTokenKind::kwFile},
    {"finalization", TTokenKind::kwFinalization},
    {"finally", TTokenKind::kwFinally},
    {"for", TTokenKind::kwFor},
    {"function", TTokenKind::kwFunction},
    {"goto", TTokenKind::kwGoto},
    {"if", TTokenKind::kwIf},
    {"implementation", TTokenKind::kwImplementation},
    {"in", TTokenKind::kwIn},
    {"inherited", TTokenKind::kwInherited},
    {"initialization", TTokenKind::kwInitialization},
    {"interface", TTokenKind::kwInterface},
    {"is", TTokenKind::kwIs},
    {"label", TTokenKind::kwLabel},
    {"library", TTokenKind::kwLibrary},
    {"mod", TTokenKind::kwMod},
    {"nil", TTokenKind::kwNil},
    {"not", TTokenKind::kwNot},
    {"object", TTokenKind::kwObject},
    {"of", TTokenKind::kwOf},
    {"or", TTokenKind::kwOr},
    {"packed", TTokenKind::kwPacked},
    {"procedure", TTokenKind::kwProcedure},
    {"program", TTokenKind::kwProgram},
    {"property", TTokenKind::kwProperty},
    {"raise", TTokenKind::kwRaise},
    {"record", TTokenKind::kwRecord},
    {"repeat", TTokenKind::kwRepeat},
    {"set", TTokenKind::kwSet},
    {"shl", TTokenKind::kwShl},
    {"shr", TTokenKind::kwShr},
    {"string", TTokenKind::kwString},
    {"then", TTokenKind::kwThen},
    {"threadvar", TTokenKind::kwThreadvar},
    {"to", TTokenKind::kwTo},
    {"try", TTokenKind::kwTry},
    {"type", TTokenKind::kwType},
    {"unit", TTokenKind::kwUnit},
    {"until", TTokenKind::kwUntil},
    {"uses", TTokenKind::kwUses},
    {"var", TTokenKind::kwVar},
    {"while", TTokenKind::kwWhile},
    {"with", TTokenKind::kwWith},
    {"xor", TTokenKind::kwXor},
};

// Sorted by text, for a binary search: the lexer asks for every identifier.
const std::vector<TKeyword>& SortedKeywords()
{
    static const std::vector<TKeyword> sorted = [] {
        std::vector<TKeyword> v(std::begin(kKeywords), std::end(kKeywords));
        std::sort(v.begin(), v.end(),
                  [](const TKeyword& a, const TKeyword& b) { return std::strcmp(a.Text, b.Text) < 0; });
        return v;
    }();
    return sorted;
}

} // namespace

TTokenKind KeywordKind(const QString& aLower)
{
    constexpr qsizetype kLongest = 14; // "implementation"
    if (aLower.size() < 2 || aLower.size() > kLongest)
        return TTokenKind::Identifier;
    char text[kLongest + 1];
    for (qsizetype i = 0; i < aLower.size(); ++i) {
        const char16_t c = aLower.at(i).unicode();
        if (c > 127)
            return TTokenKind::Identifier;
        text[i] = char(c);
    }
    text[aLower.size()] = 0;
    const std::vector<TKeyword>& keywords = SortedKeywords();
    auto it = std::lower_bound(keywords.begin(), keywords.end(), text,
                               [](const TKeyword& k, const char* t) { return std::strcmp(k.Text, t) < 0; });
    return it != keywords.end() && std::strcmp(it->Text, text) == 0 ? it->Kind : TTokenKind::Identifier;
}

QString TokenKindText(TTokenKind aKind)
{
    switch (aKind) {
    case TTokenKind::EndOfFile: return QStringLiteral("Dateiende");
    case TTokenKind::Identifier: return QStringLiteral("Bezeichner");
    case TTokenKind::IntLiteral: return QStringLiteral("Ganzzahl");
    case TTokenKind::RealLiteral: return QStringLiteral("Gleitkommazahl");
    case TTokenKind::StringLiteral: return QStringLiteral("String");
    case TTokenKind::Plus: return QStringLiteral("'+'");
    case TTokenKind::Minus: return QStringLiteral("'-'");
    case TTokenKind::Star: return QStringLiteral("'*'");
    case TTokenKind::Slash: return QStringLiteral("'/'");
    case TTokenKind::Equal: return QStringLiteral("'='");
    case TTokenKind::NotEqual: return QStringLiteral("'<>'");
    case TTokenKind::Less: return QStringLiteral("'<'");
    case TTokenKind::Greater: return QStringLiteral("'>'");
    case TTokenKind::LessEqual: return QStringLiteral("'<='");
    case TTokenKind::GreaterEqual: return QStringLiteral("'>='");
    case TTokenKind::Assign: return QStringLiteral("':='");
    case TTokenKind::LParen: return QStringLiteral("'('");
    case TTokenKind::RParen: return QStringLiteral("')'");
    case TTokenKind::LBracket: return QStringLiteral("'['");
    case TTokenKind::RBracket: return QStringLiteral("']'");
    case TTokenKind::Comma: return QStringLiteral("','");
    case TTokenKind::Semicolon: return QStringLiteral("';'");
    case TTokenKind::Colon: return QStringLiteral("':'");
    case TTokenKind::Dot: return QStringLiteral("'.'");
    case TTokenKind::DotDot: return QStringLiteral("'..'");
    case TTokenKind::Caret: return QStringLiteral("'^'");
    case TTokenKind::At: return QStringLiteral("'@'");
    default: break;
    }
    for (const TKeyword& k : kKeywords)
        if (k.Kind == aKind)
            return QStringLiteral("'%1'").arg(QLatin1String(k.Text));
    return QStringLiteral("?");
}

QString TokenDescription(const TToken& aToken)
{
    switch (aToken.Kind) {
    case TTokenKind::Identifier: return QStringLiteral("Bezeichner '%1'").arg(aToken.Text);
    case TTokenKind::IntLiteral:
    case TTokenKind::RealLiteral: return QStringLiteral("Zahl '%1'").arg(aToken.Text);
    case TTokenKind::StringLiteral: return QStringLiteral("String '%1'").arg(aToken.Text);
    default: return TokenKindText(aToken.Kind);
    }
}

} // namespace pascal
