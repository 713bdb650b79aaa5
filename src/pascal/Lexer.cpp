#include "pascal/Lexer.h"

#include "pascal/CompileGuard.h"

#include <cmath>
#include <limits>

namespace pascal {

namespace {

bool IsIdentStart(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u == '_';
}

bool IsIdentPart(QChar c)
{
    return IsIdentStart(c) || (c.unicode() >= '0' && c.unicode() <= '9');
}

int DigitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return 99;
}

} // namespace

TLexer::TLexer(const QString& aSource, TDiagnostics& aDiagnostics)
    : FSource(aSource)
    , FDiagnostics(aDiagnostics)
{
}

QChar TLexer::Peek(int aAhead) const
{
    const int i = FIndex + aAhead;
    return i < FSource.size() ? FSource.at(i) : QChar();
}

QChar TLexer::Take()
{
    const QChar c = FSource.at(FIndex++);
    if (c == u'\n') {
        ++FLine;
        FCol = 1;
    } else {
        ++FCol;
    }
    return c;
}

void TLexer::Fail(TSourcePos aPos, const QString& aText)
{
    FDiagnostics.Error(aPos, aText);
    FFailed = true;
}

// ^M, ^J, ^[ ...: a control character written the old way. Only where an operand may start
// (after an identifier or a closing bracket the caret is an operator) and only as one
// character (^Integer is something else).
bool TLexer::AtControlChar() const
{
    if (Peek() != u'^')
        return false;
    const QChar c = Peek(1).toUpper();
    if (c.unicode() < u'@' || c.unicode() > u'_')
        return false;
    if (IsIdentPart(Peek(2)) && IsIdentStart(c))
        return false;
    switch (FLastKind) {
    case TTokenKind::Identifier:
    case TTokenKind::IntLiteral:
    case TTokenKind::RealLiteral:
    case TTokenKind::StringLiteral:
    case TTokenKind::RParen:
    case TTokenKind::RBracket:
    case TTokenKind::Caret: return false;
    default: return true;
    }
}

bool TLexer::NextToken(TToken& aToken)
{
    aToken = TToken();
    if (FFailed || !SkipBlanksAndComments()) {
        FFailed = true;
        return false;
    }
    aToken.Pos = Here();
    if (FIndex >= FSource.size())
        return true; // EndOfFile
    const QChar c = Peek();
    bool ok = true;
    if (IsIdentStart(c))
        ReadIdentifier(aToken);
    else if (c.isDigit() || ((c == u'$' || c == u'%' || c == u'&') && DigitValue(Peek(1)) < 16))
        ok = ReadNumber(aToken);
    else if (c == u'\'' || c == u'#' || AtControlChar())
        ok = ReadString(aToken);
    else
        ok = ReadSymbol(aToken);
    if (!ok) {
        FFailed = true;
        return false;
    }
    FLastKind = aToken.Kind;
    TCompileGuard::Tick(aToken.Pos);
    return true;
}

bool TLexer::SkipBlanksAndComments()
{
    for (;;) {
        if (FIndex >= FSource.size())
            return true;
        const QChar c = Peek();
        if (c.isSpace() || c == QChar(0xFEFF)) {
            Take();
        } else if (c == u'/' && Peek(1) == u'/') {
            while (FIndex < FSource.size() && Peek() != u'\n')
                Take();
        } else if (c == u'{') {
            const TSourcePos start = Here();
            while (FIndex < FSource.size() && Peek() != u'}')
                Take();
            if (FIndex >= FSource.size()) {
                Fail(start, QStringLiteral("Kommentar wird nicht geschlossen: '}' fehlt"));
                return false;
            }
            Take();
        } else if (c == u'(' && Peek(1) == u'*') {
            const TSourcePos start = Here();
            Take();
            Take();
            while (FIndex < FSource.size() && !(Peek() == u'*' && Peek(1) == u')'))
                Take();
            if (FIndex >= FSource.size()) {
                Fail(start, QStringLiteral("Kommentar wird nicht geschlossen: '*)' fehlt"));
                return false;
            }
            Take();
            Take();
        } else {
            return true;
        }
    }
}

void TLexer::ReadIdentifier(TToken& aToken)
{
    const int start = FIndex;
    while (FIndex < FSource.size() && IsIdentPart(Peek()))
        Take();
    // Every spelling is stored once and shared by all its tokens (and the names in the tree
    // made from them): a large script repeats a few hundred names many thousand times.
    const std::u16string_view spelling(reinterpret_cast<const char16_t*>(FSource.constData()) + start,
                                       std::size_t(FIndex - start));
    auto known = FSpellings.find(spelling);
    if (known == FSpellings.end()) {
        TSpelling entry;
        entry.Text = FSource.mid(start, FIndex - start);
        entry.Lower = entry.Text.toLower();
        entry.Kind = KeywordKind(entry.Lower);
        if (entry.Kind != TTokenKind::Identifier)
            entry.Text = entry.Lower;
        known = FSpellings.emplace(spelling, std::move(entry)).first;
    }
    aToken.Text = known->second.Text;
    aToken.Lower = known->second.Lower;
    aToken.Kind = known->second.Kind;
}

bool TLexer::ReadNumber(TToken& aToken)
{
    const int start = FIndex;
    const QChar first = Peek();
    if (first == u'$' || first == u'%' || first == u'&') {
        const int base = first == u'$' ? 16 : first == u'%' ? 2 : 8;
        Take();
        quint64 value = 0;
        bool tooBig = false;
        while (FIndex < FSource.size() && DigitValue(Peek()) < base) {
            const quint64 digit = quint64(DigitValue(Take()));
            if (value > (std::numeric_limits<quint64>::max() - digit) / quint64(base))
                tooBig = true;
            value = value * quint64(base) + digit;
        }
        aToken.Kind = TTokenKind::IntLiteral;
        aToken.Int = qint64(value); // $FFFFFFFFFFFFFFFF is -1, as an Int64 sees it
        aToken.Text = FSource.mid(start, FIndex - start);
        if (tooBig) {
            Fail(aToken.Pos, QStringLiteral("Ganzzahlkonstante zu groß: %1").arg(aToken.Text));
            return false;
        }
        return true;
    }
    while (FIndex < FSource.size() && Peek().isDigit())
        Take();
    bool isReal = false;
    if (Peek() == u'.' && Peek(1).isDigit()) {
        isReal = true;
        Take();
        while (FIndex < FSource.size() && Peek().isDigit())
            Take();
    }
    if (Peek() == u'e' || Peek() == u'E') {
        const QChar next = Peek(1);
        if (next.isDigit() || ((next == u'+' || next == u'-') && Peek(2).isDigit())) {
            isReal = true;
            Take();
            if (Peek() == u'+' || Peek() == u'-')
                Take();
            while (FIndex < FSource.size() && Peek().isDigit())
                Take();
        }
    }
    aToken.Text = FSource.mid(start, FIndex - start);
    if (isReal) {
        aToken.Kind = TTokenKind::RealLiteral;
        aToken.Real = aToken.Text.toDouble();
        return true;
    }
    bool ok = false;
    aToken.Kind = TTokenKind::IntLiteral;
    aToken.Int = aToken.Text.toLongLong(&ok);
    if (!ok) {
        const quint64 big = aToken.Text.toULongLong(&ok);
        if (ok) {
            aToken.Int = qint64(big); // a QWord constant
            aToken.IntUnsigned = true;
            return true;
        }
        // Too big even for QWord: FPC takes it as a real constant.
        aToken.Kind = TTokenKind::RealLiteral;
        aToken.Real = aToken.Text.toDouble();
    }
    return true;
}

bool TLexer::ReadString(TToken& aToken)
{
    const int start = FIndex;
    QByteArray bytes;
    bool outside = false;
    for (;;) {
        if (Peek() == u'\'') {
            const TSourcePos quotePos = Here();
            Take();
            for (;;) {
                if (FIndex >= FSource.size() || Peek() == u'\n' || Peek() == u'\r') {
                    Fail(quotePos, QStringLiteral("String wird nicht geschlossen: ' fehlt"));
                    return false;
                }
                const QChar c = Take();
                if (c == u'\'') {
                    if (Peek() == u'\'') {
                        Take();
                        bytes.append('\'');
                        continue;
                    }
                    break;
                }
                if (c.unicode() > 255) {
                    outside = true;
                    // A character beyond the 16-bit range is one character, one '?'.
                    if (c.isHighSurrogate() && FIndex < FSource.size() && Peek().isLowSurrogate())
                        Take();
                    bytes.append('?');
                } else {
                    bytes.append(char(c.unicode()));
                }
            }
        } else if (AtControlChar()) {
            Take();
            bytes.append(char(Take().toUpper().unicode() ^ 0x40)); // ^M is #13, ^[ is #27
        } else if (Peek() == u'#') {
            const TSourcePos hashPos = Here();
            Take();
            qint64 code = 0;
            bool any = false;
            if (Peek() == u'$') {
                Take();
                while (FIndex < FSource.size() && DigitValue(Peek()) < 16 && code <= 0xFFFF) {
                    code = code * 16 + DigitValue(Take());
                    any = true;
                }
            } else {
                while (FIndex < FSource.size() && Peek().isDigit() && code <= 0xFFFF) {
                    code = code * 10 + DigitValue(Take());
                    any = true;
                }
            }
            if (!any) {
                Fail(hashPos, QStringLiteral("Zeichencode nach '#' erwartet"));
                return false;
            }
            if (code > 255) {
                Fail(hashPos, QStringLiteral("Zeichencode #%1 liegt außerhalb von 0..255").arg(code));
                return false;
            }
            bytes.append(char(code));
        } else {
            break;
        }
    }
    aToken.Kind = TTokenKind::StringLiteral;
    aToken.Bytes = bytes;
    aToken.Text = FSource.mid(start, FIndex - start);
    if (outside)
        FDiagnostics.Warning(aToken.Pos,
                             QStringLiteral("Zeichen außerhalb von Latin-1 im String werden zu '?'"));
    return true;
}

bool TLexer::ReadSymbol(TToken& aToken)
{
    const QChar c = Take();
    const QChar n = Peek();
    auto two = [&](TTokenKind aKind) {
        Take();
        aToken.Kind = aKind;
    };
    switch (c.unicode()) {
    case '+': aToken.Kind = TTokenKind::Plus; break;
    case '-': aToken.Kind = TTokenKind::Minus; break;
    case '*': aToken.Kind = TTokenKind::Star; break;
    case '/': aToken.Kind = TTokenKind::Slash; break;
    case '=': aToken.Kind = TTokenKind::Equal; break;
    case '<':
        if (n == u'>')
            two(TTokenKind::NotEqual);
        else if (n == u'=')
            two(TTokenKind::LessEqual);
        else
            aToken.Kind = TTokenKind::Less;
        break;
    case '>':
        if (n == u'=')
            two(TTokenKind::GreaterEqual);
        else
            aToken.Kind = TTokenKind::Greater;
        break;
    case ':':
        if (n == u'=')
            two(TTokenKind::Assign);
        else
            aToken.Kind = TTokenKind::Colon;
        break;
    case '(': aToken.Kind = TTokenKind::LParen; break;
    case ')': aToken.Kind = TTokenKind::RParen; break;
    case '[': aToken.Kind = TTokenKind::LBracket; break;
    case ']': aToken.Kind = TTokenKind::RBracket; break;
    case ',': aToken.Kind = TTokenKind::Comma; break;
    case ';': aToken.Kind = TTokenKind::Semicolon; break;
    case '.':
        if (n == u'.')
            two(TTokenKind::DotDot);
        else if (n == u')') // (. .) are the old spelling of [ ]
            two(TTokenKind::RBracket);
        else
            aToken.Kind = TTokenKind::Dot;
        break;
    case '^': aToken.Kind = TTokenKind::Caret; break;
    case '@': aToken.Kind = TTokenKind::At; break;
    default:
        Fail(aToken.Pos,
             QStringLiteral("Ungültiges Zeichen '%1' ($%2)")
                 .arg(c)
                 .arg(QString::number(c.unicode(), 16).toUpper()));
        return false;
    }
    aToken.Text = TokenKindText(aToken.Kind).mid(1).chopped(1);
    return true;
}

} // namespace pascal
