// The script engine on its own: what the lexer and parser accept, the messages of the
// compiler, what programs print, the run-time errors with their positions, the limits that
// keep a script from hanging or crashing the program, and the host's routines and variable.
#include "base/VarnexError.h"
#include "pascal/PascalEngine.h"

#include <QElapsedTimer>
#include <QThread>
#include <QtTest>

namespace {

using pascal::TEngine;
using pascal::TEngineLimits;
using pascal::THostValue;

// An engine with the host's writeln (one line per call) and the Text variable.
struct TScript
{
    TEngine Engine;
    QByteArray Output;
    QByteArray Text;

    explicit TScript(const TEngineLimits& aLimits = {})
    {
        Engine.SetLimits(aLimits);
        Engine.RegisterFunction(QStringLiteral("procedure writeln(const aText: string);"),
                                [this](const QList<THostValue>& aArgs) {
                                    Output += aArgs.at(0).String + '\n';
                                    return THostValue();
                                });
        Engine.RegisterStringVariable(QStringLiteral("Text"), &Text);
    }

    bool Compile(const QString& aSource) { return Engine.Compile(aSource); }
    QString Errors() const
    {
        return Engine.Messages().filter(QStringLiteral("[Error]")).join(QLatin1Char('\n'));
    }
    QString FirstError() const
    {
        const QStringList errors = Engine.Messages().filter(QStringLiteral("[Error]"));
        return errors.isEmpty() ? QString() : errors.first();
    }
    // Compiles and runs; the output, or the messages / run error prefixed with "!".
    QByteArray Run(const QString& aSource)
    {
        if (!Compile(aSource))
            return "!compile: " + Errors().toUtf8();
        Output.clear();
        if (!Engine.Run())
            return Output + "!run: " + Engine.RunError().toUtf8();
        return Output;
    }
};

// Runs aWork on a thread with a 64 MB stack, as the program gives its scripts: deep recursion
// and long chains need more stack than a test's main thread has in a sanitizer build.
QByteArray OnProgramStack(const std::function<QByteArray()>& aWork)
{
    QByteArray result;
    std::unique_ptr<QThread> thread(QThread::create([&] { result = aWork(); }));
    thread->setStackSize(64u << 20);
    thread->start();
    thread->wait();
    return result;
}

// "begin ... end." around statements, with the given declarations before.
QString Program(const QString& aBody, const QString& aDecls = QString())
{
    return aDecls + QStringLiteral("\nbegin\n") + aBody + QStringLiteral("\nend.\n");
}

const QString kCrc16Script = QStringLiteral(R"(
const Poly = $1021;
var crcTable: array[0..255] of Word;
    crc: Word;

procedure MakeTable;
var n, k: Integer; c: Word;
begin
  for n := 0 to 255 do
  begin
    c := n shl 8;
    for k := 1 to 8 do
      if (c and $8000) <> 0 then c := (c shl 1) xor Poly
      else c := c shl 1;
    crcTable[n] := c;
  end;
end;

function Crc16(const s: string): Word;
var n: Integer;
begin
  Result := 0;
  for n := 1 to Length(s) do
    Result := (Result shl 8) xor crcTable[((Result shr 8) xor Ord(s[n])) and $FF];
end;

begin
  MakeTable;
  crc := Crc16(Text);
  Text := Text + Chr(Hi(crc)) + Chr(Lo(crc));
end.
)");

// The same CRC in C++, to check the script's result.
quint16 Crc16Ccitt(const QByteArray& aData)
{
    quint16 crc = 0;
    for (char c : aData) {
        crc ^= quint16(quint8(c)) << 8;
        for (int k = 0; k < 8; ++k)
            crc = (crc & 0x8000) ? quint16((crc << 1) ^ 0x1021) : quint16(crc << 1);
    }
    return crc;
}

} // namespace

class TstPascalEngine : public QObject
{
    Q_OBJECT

private slots:
    void lexer_data();
    void lexer();
    void programs_data();
    void programs();
    void integerWrap_data();
    void integerWrap();
    void compileErrors_data();
    void compileErrors();
    void severalErrorsAreReported();
    void hintsAndWarnings_data();
    void hintsAndWarnings();
    void cleanProgramHasNoMessages();
    void runErrors_data();
    void runErrors();
    void runErrorsAreCatchable_data();
    void runErrorsAreCatchable();
    void timeLimitEndsEndlessLoop();
    void timeLimitIsNotCatchable();
    void timeLimitStopsSlowSearch();
    void wideFormatPaddingIsLinear();
    void sleepCountsTowardTimeLimit();
    void recursionLimit();
    void deepRecursionStaysOnTheStack();
    void deepNestingIsACompileError_data();
    void deepNestingIsACompileError();
    void flatChainsAreNotNesting();
    void compilingIsBounded();
    void aShortStringNeverGrowsPastItsLength();
    void stringListsAreReferences();
    void sizeLimit_data();
    void sizeLimit();
    void hostFunctions();
    void hostResultIsTruncated();
    void hostErrorEndsRun();
    void hostErrorIsCatchable();
    void hostNameIsReserved();
    void badHostDeclaration();
    void textVariable();
    void textVariableWrittenAfterError();
    void runTwiceStartsFresh();
    void runInsideRunIsRefused();
    void runWithoutCompile();
    void crc16Script();
    void crc16ScriptIsFast();
    void crcOverOneMegabyte();
};

// ---- lexer -------------------------------------------------------------------------------

void TstPascalEngine::lexer_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QByteArray>("output");

    QTest::newRow("keywords in any case")
        << QStringLiteral("VAR x: INTEGER; BeGiN x := 5; WriteLn(IntToStr(X)) EnD.") << QByteArray("5\n");
    QTest::newRow("brace comment") << Program(QStringLiteral("{ a comment\nover lines } writeln('a');"))
                                   << QByteArray("a\n");
    QTest::newRow("paren-star comment")
        << Program(QStringLiteral("(* comment *) writeln('b'); (* { nested } *)")) << QByteArray("b\n");
    QTest::newRow("line comment") << Program(QStringLiteral("writeln('c'); // writeln('x');"))
                                  << QByteArray("c\n");
    QTest::newRow("compiler directive")
        << QStringLiteral("{$mode delphi}{$R+}\nbegin writeln('d') end.") << QByteArray("d\n");
    QTest::newRow("doubled quote") << Program(QStringLiteral("writeln('it''s');")) << QByteArray("it's\n");
    QTest::newRow("empty string") << Program(QStringLiteral("writeln('' + 'x' + '');")) << QByteArray("x\n");
    QTest::newRow("char codes") << Program(QStringLiteral("writeln(#65#$42#$63);")) << QByteArray("ABc\n");
    QTest::newRow("string and codes")
        << Program(QStringLiteral("writeln(IntToStr(Length('OK'#13#10)) + 'OK'#9'x');"))
        << QByteArray("4OK\tx\n");
    QTest::newRow("hex literal") << Program(
        QStringLiteral("writeln(IntToStr($FF) + ' ' + IntToStr($7fffFFFF));"))
                                 << QByteArray("255 2147483647\n");
    QTest::newRow("reals") << Program(
        QStringLiteral("writeln(FloatToStr(1.5) + ' ' + FloatToStr(1e3) + ' ' + FloatToStr(2.5E-2));"))
                           << QByteArray("1.5 1000 0.025\n");
    QTest::newRow("range is not a real")
        << Program(QStringLiteral("for i := 1..3 do ;"), QStringLiteral("var i: Integer;"))
        << QByteArray("!compile: [Error] (3:11): 'to' oder 'downto' erwartet, aber '..' gefunden");
    QTest::newRow("identifiers case-insensitive")
        << Program(QStringLiteral("MyVar := 3; writeln(IntToStr(myvar * MYVAR));"),
                   QStringLiteral("var MyVar: Integer;"))
        << QByteArray("9\n");
    QTest::newRow("latin-1 literal") << Program(
        QStringLiteral("writeln(IntToStr(Length('\u00e4\u00f6\u00fc')) + IntToStr(Ord('\u00e4')));"))
                                     << QByteArray("3228\n");
}

void TstPascalEngine::lexer()
{
    QFETCH(QString, source);
    QFETCH(QByteArray, output);
    TScript s;
    QCOMPARE(s.Run(source), output);
}

// ---- what programs do --------------------------------------------------------------------

void TstPascalEngine::programs_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QByteArray>("output");

    // declarations
    QTest::newRow("program header and uses")
        << QStringLiteral("program Demo;\nuses SysUtils, Math;\nbegin writeln('ok') end.")
        << QByteArray("ok\n");
    QTest::newRow("untyped consts") << Program(
        QStringLiteral("writeln(IntToStr(N) + ' ' + IntToStr(M) + S + FloatToStr(R));"),
        QStringLiteral("const N = 10; M = N * 2 + 1; S = '!'#33; R = N / 4;"))
                                    << QByteArray("10 21!!2.5\n");
    QTest::newRow("typed consts and tables") << Program(
        QStringLiteral("writeln(IntToStr(T[2]) + Names[clBlue] + P.Name + IntToStr(P.X));"),
        QStringLiteral("type TColor = (clRed, clBlue); TP = record X: Integer; Name: string; end;\n"
                       "const T: array[0..2] of Word = ($10, $20, $30);\n"
                       "Names: array[TColor] of string = ('rot', 'blau');\n"
                       "P: TP = (X: 7; Name: 'p');"))
                                             << QByteArray("48blaup7\n");
    QTest::newRow("typed const is writable") << Program(QStringLiteral("C := C + 1; writeln(IntToStr(C));"),
                                                        QStringLiteral("const C: Integer = 41;"))
                                             << QByteArray("42\n");
    QTest::newRow("enumerations and subranges")
        << Program(QStringLiteral("for d := Low(TDay) to High(TDay) do s := s + IntToStr(Ord(d));\n"
                                  "w := High(TWork); writeln(s + ' ' + IntToStr(Ord(w)) + "
                                  "IntToStr(Low(TSmall)) + IntToStr(High(TSmall)));"),
                   QStringLiteral("type TDay = (Mo, Di, Mi); TWork = Mo..Di; TSmall = 3..9;\n"
                                  "var d: TDay; w: TWork; s: string;"))
        << QByteArray("012 139\n");
    QTest::newRow("static and dynamic arrays")
        << Program(QStringLiteral("for i := 0 to 255 do a[i] := i; SetLength(d, 3); d[2] := a[200];\n"
                                  "writeln(IntToStr(a[255]) + ' ' + IntToStr(d[2]) + ' ' + "
                                  "IntToStr(Length(d)) + ' ' + IntToStr(High(d)));"),
                   QStringLiteral("var a: array[0..255] of Byte; d: array of Integer; i: Integer;"))
        << QByteArray("255 200 3 2\n");
    QTest::newRow("array copy is a value")
        << Program(QStringLiteral("a[1] := 1; b := a; b[1] := 2; writeln(IntToStr(a[1]) + IntToStr(b[1]));"),
                   QStringLiteral("type T = array[1..3] of Integer; var a, b: T;"))
        << QByteArray("12\n");
    QTest::newRow("dynamic array is a reference")
        << Program(QStringLiteral("SetLength(a, 2); b := a; b[0] := 5; writeln(IntToStr(a[0]));"),
                   QStringLiteral("var a, b: array of Integer;"))
        << QByteArray("5\n");
    QTest::newRow("records nested") << Program(
        QStringLiteral("r.P.X := 3; r.L[2] := 'z'; q := r; q.P.X := 4;\n"
                       "writeln(IntToStr(r.P.X) + IntToStr(q.P.X) + r.L[2]);"),
        QStringLiteral(
            "type TPt = record X, Y: Integer; end; TR = record P: TPt; L: array[1..2] of string; end;\n"
            "var r, q: TR;")) << QByteArray("34z\n");
    QTest::newRow("multi-dimensional")
        << Program(QStringLiteral("m[1, 2] := 5; m[2][1] := 6; SetLength(g, 2, 3); g[1, 2] := 7;\n"
                                  "writeln(IntToStr(m[1][2] + m[2, 1] + g[1][2]) + IntToStr(Length(g[1])));"),
                   QStringLiteral("var m: array[1..2, 1..2] of Integer; g: array of array of Integer;"))
        << QByteArray("183\n");
    QTest::newRow("string is a value")
        << Program(QStringLiteral("a := 'abc'; b := a; b[1] := 'X'; writeln(a + b);"),
                   QStringLiteral("var a, b: string;"))
        << QByteArray("abcXbc\n");
    // routines
    QTest::newRow("var and const parameters") << Program(
        QStringLiteral("x := 1; y := 2; Swap(x, y); writeln(IntToStr(x) + IntToStr(y) + Twice('ab'));"),
        QStringLiteral("var x, y: Integer;\nprocedure Swap(var a, b: Integer); var t: Integer; begin t := a; "
                       "a := b; b := t; end;\n"
                       "function Twice(const s: string): string; begin Result := s + s; end;"))
                                              << QByteArray("21abab\n");
    QTest::newRow("function name as result")
        << Program(QStringLiteral("writeln(IntToStr(Sq(7)));"),
                   QStringLiteral("function Sq(n: Integer): Integer; begin Sq := n * n; end;"))
        << QByteArray("49\n");
    QTest::newRow("recursion") << Program(
        QStringLiteral("writeln(IntToStr(Fib(20)) + ' ' + IntToStr(Fact(20)));"),
        QStringLiteral("function Fib(n: Integer): Integer; begin if n < 2 then Result := n else Result := "
                       "Fib(n - 1) + Fib(n - 2); end;\n"
                       "function Fact(n: Integer): Int64; begin if n <= 1 then Exit(1); Result := n * Fact(n "
                       "- 1); end;"))
                               << QByteArray("6765 2432902008176640000\n");
    QTest::newRow("forward declaration")
        << Program(QStringLiteral("writeln(BoolToStr(IsEven(10), True) + BoolToStr(IsEven(7), True));"),
                   QStringLiteral("function IsOdd(n: Integer): Boolean; forward;\n"
                                  "function IsEven(n: Integer): Boolean; begin if n = 0 then Result := True "
                                  "else Result := IsOdd(n - 1); end;\n"
                                  "function IsOdd(n: Integer): Boolean; begin if n = 0 then Result := False "
                                  "else Result := IsEven(n - 1); end;"))
        << QByteArray("TrueFalse\n");
    QTest::newRow("nested routines see locals") << Program(
        QStringLiteral("writeln(IntToStr(Outer(10)));"),
        QStringLiteral("function Outer(n: Integer): Integer;\nvar acc: Integer;\n"
                       "  procedure Add(k: Integer);\n    procedure Deeper; begin acc := acc + 1; end;\n"
                       "  begin acc := acc + k * n; Deeper; end;\n"
                       "var k: Integer;\nbegin acc := 0; for k := 1 to 3 do Add(k); Result := acc; end;"))
                                                << QByteArray("63\n");
    QTest::newRow("default parameter")
        << Program(QStringLiteral("writeln(Pad('a') + Pad('b', 3));"),
                   QStringLiteral("function Pad(const s: string; n: Integer = 1): string; begin Result := s "
                                  "+ StringOfChar('.', n); end;"))
        << QByteArray("a.b...\n");
    QTest::newRow("open array parameter") << Program(
        QStringLiteral("a[0] := 4; a[1] := 5; writeln(IntToStr(Sum(a)) + ' ' + IntToStr(Sum([1, 2, 3])));"),
        QStringLiteral("var a: array[0..1] of Integer;\n"
                       "function Sum(const v: array of Integer): Integer; var i: Integer;\n"
                       "begin Result := 0; for i := Low(v) to High(v) do Result := Result + v[i]; end;"))
                                          << QByteArray("9 6\n");
    QTest::newRow("var parameter into array and record")
        << Program(QStringLiteral("Bump(a[2]); Bump(r.X); writeln(IntToStr(a[2]) + IntToStr(r.X));"),
                   QStringLiteral("var a: array[1..3] of Integer; r: record X: Integer; end;\n"
                                  "procedure Bump(var v: Integer); begin Inc(v, 5); end;"))
        << QByteArray("55\n");
    // statements
    QTest::newRow("if else chain") << Program(
        QStringLiteral("for i := 1 to 3 do if i = 1 then writeln('one') else if i = 2 then writeln('two') "
                       "else writeln('many');"),
        QStringLiteral("var i: Integer;"))
                                   << QByteArray("one\ntwo\nmany\n");
    QTest::newRow("case") << Program(
        QStringLiteral("for i := 0 to 6 do case i of 0: s := s + 'z'; 1, 2: s := s + 'k'; 3..5: s := s + "
                       "'m'; else s := s + 'g'; end;\n"
                       "case 'q' of 'a'..'m': s := s + '1'; 'n'..'z': s := s + '2'; end; writeln(s);"),
        QStringLiteral("var i: Integer; s: string;"))
                          << QByteArray("zkkmmmg2\n");
    QTest::newRow("for downto and bounds evaluated once") << Program(
        QStringLiteral(
            "n := 3; for i := n downto 1 do begin s := s + IntToStr(i); n := 10; end; writeln(s);"),
        QStringLiteral("var i, n: Integer; s: string;")) << QByteArray("321\n");
    QTest::newRow("for over a byte does not wrap")
        << Program(QStringLiteral("for b := 250 to 255 do Inc(n); writeln(IntToStr(n));"),
                   QStringLiteral("var b: Byte; n: Integer;"))
        << QByteArray("6\n");
    QTest::newRow("while repeat break continue")
        << Program(QStringLiteral("while i < 100 do begin Inc(i); if i mod 2 = 0 then Continue; if i > 9 "
                                  "then Break; s := s + IntToStr(i); end;\n"
                                  "repeat Dec(i, 4) until i < 0; writeln(s + ' ' + IntToStr(i));"),
                   QStringLiteral("var i: Integer; s: string;"))
        << QByteArray("13579 -1\n");
    QTest::newRow("exit from procedure and main")
        << Program(QStringLiteral("P; writeln('main'); Exit; writeln('never');"),
                   QStringLiteral("procedure P; begin writeln('p'); Exit; writeln('not'); end;"))
        << QByteArray("p\nmain\n");
    QTest::newRow("for in") << Program(
        QStringLiteral("for c in 'abc' do s := c + s; for n in a do Inc(t, n); writeln(s + IntToStr(t));"),
        QStringLiteral("var c: Char; s: string; n, t: Integer; a: array[0..2] of Integer = (1, 2, 3);"))
                            << QByteArray("cba6\n");
    QTest::newRow("with") << Program(
        QStringLiteral(
            "X := 100; with p do begin X := 1; Y := 2; end; with b, A do begin X := 5; Name := 'b'; end;\n"
            "for X := 0 to 1 do with arr[X] do Y := X + 7;\n"
            "writeln(IntToStr(p.X) + IntToStr(p.Y) + IntToStr(b.A.X) + b.Name + IntToStr(arr[1].Y) + ' ' + "
            "IntToStr(X));"),
        QStringLiteral("type TPt = record X, Y: Integer; end; TBox = record A: TPt; Name: string; end;\n"
                       "var p: TPt; b: TBox; arr: array[0..1] of TPt; X: Integer;"))
                          << QByteArray("125b7 1\n");
    QTest::newRow("FillChar") << Program(
        QStringLiteral(
            "FillChar(buf, SizeOf(buf), $AB); FillChar(w, SizeOf(w), 1); FillChar(buf, 2, 0);\n"
            "s := 'abcdef'; FillChar(s[2], 3, 'x');\n"
            "writeln(IntToStr(buf[1]) + ' ' + IntToStr(buf[2]) + ' ' + IntToStr(w[3]) + ' ' + s);"),
        QStringLiteral("var buf: array[0..3] of Byte; w: array[1..3] of Word; s: string;"))
                              << QByteArray("0 171 257 axxxef\n");
    // expressions
    QTest::newRow("precedence") << Program(
        QStringLiteral("writeln(IntToStr(2 + 3 * 4) + ' ' + IntToStr(-2 * 3) + ' ' + IntToStr((2 + 3) * 4) + "
                       "' ' + IntToStr(1 + 2 shl 3) + ' ' + IntToStr(17 div 5 mod 2));"))
                                << QByteArray("14 -6 20 17 1\n");
    QTest::newRow("div and mod truncate")
        << Program(QStringLiteral("writeln(IntToStr(-7 div 2) + ' ' + IntToStr(-7 mod 2) + ' ' + IntToStr(7 "
                                  "mod -2) + ' ' + IntToStr(7 div -2));"))
        << QByteArray("-3 -1 1 -3\n");
    QTest::newRow("slash is real") << Program(
        QStringLiteral("writeln(FloatToStr(7 / 2) + ' ' + FloatToStr(1 / 3));"))
                                   << QByteArray("3.5 0.333333333333333\n");
    QTest::newRow("short-circuit") << Program(
        QStringLiteral("if (p <> 0) and (10 div p > 1) then writeln('x') else writeln('safe');\n"
                       "if (p = 0) or (10 div p > 1) then writeln('safe too');"),
        QStringLiteral("var p: Integer;"))
                                   << QByteArray("safe\nsafe too\n");
    QTest::newRow("sets") << Program(
        QStringLiteral(
            "s := ['a'..'c', 'x']; Include(s, 'z'); Exclude(s, 'b');\n"
            "for c := 'a' to 'z' do if c in s then t := t + c;\n"
            "if ('q' in ['0'..'9', 'a'..'z']) and not (5 in [1, 3]) and (['a'] <= s) then writeln(t);"),
        QStringLiteral("var s: set of Char; c: Char; t: string;"))
                          << QByteArray("acxz\n");
    QTest::newRow("string compare and concat")
        << Program(QStringLiteral("c := 'b'; if ('abc' < 'abd') and ('ab' < 'abc') and (c > 'a') and (c + "
                                  "'x' = 'bx') then writeln(c + c + 'y');"),
                   QStringLiteral("var c: Char;"))
        << QByteArray("bby\n");
    QTest::newRow("append in a loop")
        << Program(QStringLiteral("for i := 1 to 5 do s := s + Chr(Ord('0') + i) + ','; writeln(s);"),
                   QStringLiteral("var i: Integer; s: string;"))
        << QByteArray("1,2,3,4,5,\n");
    QTest::newRow("string index") << Program(
        QStringLiteral("s := 'hello'; s[1] := UpCase(s[1]); writeln(s + s[Length(s)]);"),
        QStringLiteral("var s: string;"))
                                  << QByteArray("Helloo\n");
    // built-ins
    QTest::newRow("string routines") << Program(
        QStringLiteral("s := 'Hello, World'; writeln(Copy(s, 8, 5) + '|' + IntToStr(Pos('o', s)) + '|' + "
                       "UpperCase(s) + '|' + LowerCase(s));\n"
                       "Delete(s, 6, 7); Insert('!', s, 6); writeln(s + '|' + Trim('  a ') + '|' + "
                       "TrimLeft(' b ') + '|' + TrimRight(' c ') + '|' + StringOfChar('-', 3));"),
        QStringLiteral("var s: string;"))
                                     << QByteArray("World|5|HELLO, WORLD|hello, world\nHello!|a|b | c|---\n");
    QTest::newRow("conversions") << Program(
        QStringLiteral("writeln(IntToStr(StrToInt('-42')) + ' ' + IntToStr(StrToIntDef('x', 7)) + ' ' + "
                       "IntToHex(255, 4) + ' ' + IntToHex(-1, 2) + ' ' + FloatToStr(StrToFloat('2.5')));"))
                                 << QByteArray("-42 7 00FF FFFFFFFF 2.5\n");
    QTest::newRow("ordinal routines") << Program(QStringLiteral(
        "writeln(Chr(Ord('A') + 2) + Succ('a') + Pred('c') + IntToStr(Hi($1234)) + IntToStr(Lo($1234)) + "
        "BoolToStr(Odd(3), True) + IntToStr(High(Byte)) + IntToStr(Low(ShortInt)));"))
                                      << QByteArray("Cbb1852True255-128\n");
    QTest::newRow("math") << Program(QStringLiteral(
        "writeln(IntToStr(Abs(-3)) + FloatToStr(Abs(-1.5)) + IntToStr(Sqr(4)) + IntToStr(Round(2.5)) + "
        "IntToStr(Round(3.5)) + IntToStr(Round(-2.5)) + IntToStr(Trunc(-2.7)) + FloatToStr(Sqrt(16)));"))
                          << QByteArray("31.51624-2-24\n");
    QTest::newRow("format") << Program(
        QStringLiteral("writeln(Format('%d|%5d|%-5s|%.2f|%x|%X|%08x|%.3d|%u|%%|%s', [42, 7, 'ab', 3.14159, "
                       "255, 255, 255, 7, 4000000000, 'z']));"))
                            << QByteArray("42|    7|ab   |3.14|FF|FF|      FF|007|4000000000|%|z\n");
    QTest::newRow("random is repeatable") << Program(
        QStringLiteral("a := Random(1000); b := Random(1000); r := Random; if (a >= 0) and (a < 1000) and (r "
                       ">= 0) and (r < 1) then writeln(IntToStr(a) + ' ' + IntToStr(b));"),
        QStringLiteral("var a, b: Integer; r: Double;"))
                                          << QByteArray("0 31\n");
    QTest::newRow("date and time") << Program(
        QStringLiteral("d := EncodeDate(2024, 2, 29) + EncodeTime(13, 5, 9, 0); writeln(DateToStr(d) + ' ' + "
                       "TimeToStr(d) + ' ' + FormatDateTime('yyyy-mm-dd hh:nn', d));\n"
                       "if Now > d then writeln('later');"),
        QStringLiteral("var d: TDateTime;"))
                                   << QByteArray("29.02.2024 13:05:09 2024-02-29 13:05\nlater\n");
    // exceptions
    QTest::newRow("raise and catch") << Program(
        QStringLiteral("try raise EMy.Create('boom'); except on E: EMy do writeln('my ' + E.Message); on E: "
                       "Exception do writeln('other'); end;"),
        QStringLiteral("type EMy = class(Exception);"))
                                     << QByteArray("my boom\n");
    QTest::newRow("finally runs") << Program(
        QStringLiteral("try try writeln('a'); raise Exception.Create('x'); finally writeln('f'); end; except "
                       "on E: Exception do writeln('c ' + E.Message); end;"))
                                  << QByteArray("a\nf\nc x\n");
    QTest::newRow("finally on exit and break") << Program(
        QStringLiteral("for i := 1 to 3 do try if i = 2 then Break; finally writeln(IntToStr(i)); end; P;"),
        QStringLiteral("var i: Integer;\nprocedure P; begin try Exit; finally writeln('pf'); end; end;"))
                                               << QByteArray("1\n2\npf\n");
    QTest::newRow("re-raise") << Program(
        QStringLiteral("try try raise Exception.Create('inner'); except writeln('log'); raise; end; except "
                       "on E: Exception do writeln('outer ' + E.Message); end;"))
                              << QByteArray("log\nouter inner\n");
    QTest::newRow("class name and is")
        << Program(QStringLiteral("try StrToInt('q'); except on E: Exception do begin writeln(E.ClassName); "
                                  "if E is EConvertError then writeln('convert'); end; end;"))
        << QByteArray("EConvertError\nconvert\n");
    QTest::newRow("CreateFmt") << Program(QStringLiteral(
        "try raise Exception.CreateFmt('code %d', [7]); except on E: Exception do writeln(E.Message); end;"))
                               << QByteArray("code 7\n");
}

void TstPascalEngine::programs()
{
    QFETCH(QString, source);
    QFETCH(QByteArray, output);
    TScript s;
    QCOMPARE(s.Run(source), output);
}

// ---- integers wrap as Free Pascal's do ---------------------------------------------------

void TstPascalEngine::integerWrap_data()
{
    QTest::addColumn<QString>("statements");
    QTest::addColumn<QString>("result");

    QTest::newRow("Word wraps up") << QStringLiteral("w := 65535; w := w + 1; r := w;")
                                   << QStringLiteral("0");
    QTest::newRow("Word wraps down") << QStringLiteral("w := 0; w := w - 1; r := w;")
                                     << QStringLiteral("65535");
    QTest::newRow("Word shl keeps 16 bits")
        << QStringLiteral("w := $1234; w := w shl 8; r := w;") << QStringLiteral("13312");
    QTest::newRow("Word shl as expression")
        << QStringLiteral("w := $1234; r := w shl 8;") << QStringLiteral("1192960");
    QTest::newRow("Byte wraps") << QStringLiteral("b := 250; b := b + 10; r := b;") << QStringLiteral("4");
    QTest::newRow("Byte from big value") << QStringLiteral("b := 1000; r := b;") << QStringLiteral("232");
    QTest::newRow("ShortInt wraps") << QStringLiteral("si := 127; si := si + 1; r := si;")
                                    << QStringLiteral("-128");
    QTest::newRow("SmallInt wraps") << QStringLiteral("sm := 40000; r := sm;") << QStringLiteral("-25536");
    QTest::newRow("Cardinal wraps down")
        << QStringLiteral("c := 0; c := c - 1; r := c;") << QStringLiteral("4294967295");
    QTest::newRow("Cardinal wraps up")
        << QStringLiteral("c := 4000000000; c := c + 1000000000; r := c;") << QStringLiteral("705032704");
    QTest::newRow("Cardinal mixed with signed")
        << QStringLiteral("c := 5; r := c - 10;") << QStringLiteral("-5");
    QTest::newRow("Cardinal shl wraps")
        << QStringLiteral("c := $F0000000; c := c shl 4; r := c;") << QStringLiteral("0");
    QTest::newRow("Cardinal from -1")
        << QStringLiteral("i := -1; c := i; r := c;") << QStringLiteral("4294967295");
    QTest::newRow("Integer overflow wraps")
        << QStringLiteral("i := MaxInt; i := i + 1; r := i;") << QStringLiteral("-2147483648");
    QTest::newRow("Integer product in 64 bits")
        << QStringLiteral("i := 100000; r := i * i;") << QStringLiteral("10000000000");
    QTest::newRow("Integer shr is logical")
        << QStringLiteral("i := -1; r := i shr 28;") << QStringLiteral("15");
    QTest::newRow("Integer shl 31") << QStringLiteral("i := 1; r := i shl 31;")
                                    << QStringLiteral("-2147483648");
    QTest::newRow("shift count masked") << QStringLiteral("i := 1; r := i shl 32;") << QStringLiteral("1");
    QTest::newRow("constant shift in 64 bits")
        << QStringLiteral("r := 1 shl 32;") << QStringLiteral("4294967296");
    QTest::newRow("not Word") << QStringLiteral("w := $00FF; r := not w;") << QStringLiteral("65280");
    QTest::newRow("not Byte") << QStringLiteral("b := 5; r := not b;") << QStringLiteral("250");
    QTest::newRow("Int64 wraps") << QStringLiteral("r := High(Int64); r := r + 1;")
                                 << QStringLiteral("-9223372036854775808");
    QTest::newRow("Int64 shl") << QStringLiteral("r := Int64(1) shl 40;") << QStringLiteral("1099511627776");
    QTest::newRow("typecast wraps") << QStringLiteral("r := Byte(300) + Word(-1) + ShortInt(200);")
                                    << QStringLiteral("65523");
    QTest::newRow("Ord of char shl 24")
        << QStringLiteral("r := Ord(#$80) shl 24;") << QStringLiteral("2147483648");
    QTest::newRow("crc16 step") << QStringLiteral("w := $FFFF; w := (w shl 8) xor $1021; r := w;")
                                << QStringLiteral("61217");
    QTest::newRow("crc32 step") << QStringLiteral("c := $FFFFFFFF; c := (c shr 8) xor $EDB88320; r := c;")
                                << QStringLiteral("3980885215");
    QTest::newRow("Inc wraps Byte") << QStringLiteral("b := 255; Inc(b); r := b;") << QStringLiteral("0");
    QTest::newRow("Dec wraps Word") << QStringLiteral("w := 1; Dec(w, 3); r := w;")
                                    << QStringLiteral("65534");
    QTest::newRow("value parameter wraps") << QStringLiteral("r := TakeByte(513);") << QStringLiteral("1");
}

void TstPascalEngine::integerWrap()
{
    QFETCH(QString, statements);
    QFETCH(QString, result);
    TScript s;
    const QString decls = QStringLiteral(
        "var w: Word; b: Byte; si: ShortInt; sm: SmallInt; c: Cardinal; i: Integer; r: Int64;\n"
        "function TakeByte(v: Byte): Integer; begin Result := v; end;");
    QCOMPARE(s.Run(Program(statements + QStringLiteral(" writeln(IntToStr(r));"), decls)),
             result.toLatin1() + '\n');
}

// ---- compile errors ----------------------------------------------------------------------

void TstPascalEngine::compileErrors_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("error");

    QTest::newRow("unknown identifier") << QStringLiteral("begin\n  Foo := 1;\nend.")
                                        << QStringLiteral("[Error] (2:3): Unbekannter Bezeichner 'Foo'");
    QTest::newRow("unknown routine") << QStringLiteral("begin\n  DoIt(3);\nend.")
                                     << QStringLiteral("[Error] (2:3): Unbekannter Bezeichner 'DoIt'");
    QTest::newRow("incompatible assignment")
        << QStringLiteral("var s: string;\nbegin\n  s := 5;\nend.")
        << QStringLiteral("[Error] (3:8): Inkompatible Typen: 'string' und 'Integer'");
    QTest::newRow("integer from string")
        << QStringLiteral("var i: Integer;\nbegin\n  i := 'abc';\nend.")
        << QStringLiteral("[Error] (3:8): Inkompatible Typen: 'Integer' und 'string'");
    QTest::newRow("integer from real")
        << QStringLiteral("var i: Integer;\nbegin\n  i := 1.5;\nend.")
        << QStringLiteral("[Error] (3:8): Inkompatible Typen: 'Integer' und 'Double'");
    QTest::newRow("condition not boolean")
        << QStringLiteral("var i: Integer;\nbegin\n  if i then ;\nend.")
        << QStringLiteral("[Error] (3:6): Inkompatible Typen: 'Boolean' und 'Integer'");
    QTest::newRow("missing end") << QStringLiteral(
        "begin\n  if True then\n  begin\n    writeln('x');\n\nend.")
                                 << QStringLiteral("[Error] (6:4): 'end' erwartet (zum 'begin' in Zeile 1)");
    QTest::newRow("missing end at eof")
        << QStringLiteral("var i: Integer;\nbegin\n  i := 1;\n")
        << QStringLiteral("[Error] (4:1): 'end' erwartet (zum 'begin' in Zeile 2)");
    QTest::newRow("missing semicolon")
        << QStringLiteral("var i: Integer;\nbegin\n  i := 1\n  i := 2;\nend.")
        << QStringLiteral("[Error] (4:3): ';' erwartet, aber Bezeichner 'i' gefunden");
    QTest::newRow("missing then")
        << QStringLiteral("begin\n  if True writeln('x');\nend.")
        << QStringLiteral("[Error] (2:11): 'then' erwartet, aber Bezeichner 'writeln' gefunden");
    QTest::newRow("missing until") << QStringLiteral("begin\n  repeat\n    writeln('x');\nend.")
                                   << QStringLiteral(
                                          "[Error] (4:1): 'until' erwartet (zum 'repeat' in Zeile 2)");
    QTest::newRow("missing paren") << QStringLiteral("begin\n  writeln(IntToStr((1 + 2));\nend.")
                                   << QStringLiteral("[Error] (2:28): ')' erwartet (zum '(' in Zeile 2)");
    QTest::newRow("missing final dot")
        << QStringLiteral("begin\nend")
        << QStringLiteral("[Error] (2:4): '.' erwartet, aber Dateiende gefunden");
    QTest::newRow("equals for assignment")
        << QStringLiteral("var i: Integer;\nbegin\n  i = 1;\nend.")
        << QStringLiteral(
               "[Error] (3:5): ':=' erwartet, aber '=' gefunden (eine Zuweisung schreibt sich ':=')");
    QTest::newRow("unterminated string")
        << QStringLiteral("begin\n  writeln('abc);\nend.")
        << QStringLiteral("[Error] (2:11): String wird nicht geschlossen: ' fehlt");
    QTest::newRow("unterminated comment")
        << QStringLiteral("begin\n { open\nend.")
        << QStringLiteral("[Error] (2:2): Kommentar wird nicht geschlossen: '}' fehlt");
    QTest::newRow("invalid character") << QStringLiteral("begin\n  writeln('a') ?\nend.")
                                       << QStringLiteral("[Error] (2:16): Ungültiges Zeichen '?' ($3F)");
    QTest::newRow("duplicate identifier")
        << QStringLiteral("var a: Integer;\n    a: string;\nbegin\nend.")
        << QStringLiteral("[Error] (2:5): Bezeichner doppelt deklariert: 'a'");
    QTest::newRow("too many parameters")
        << QStringLiteral("procedure P(a: Integer); begin end;\nbegin\n  P(1, 2);\nend.")
        << QStringLiteral("[Error] (3:8): Zu viele Parameter");
    QTest::newRow("too few parameters")
        << QStringLiteral("procedure P(a, b: Integer); begin end;\nbegin\n  P(1);\nend.")
        << QStringLiteral("[Error] (3:3): Nicht genügend wirkliche Parameter");
    QTest::newRow("var argument not a variable")
        << QStringLiteral("procedure P(var a: Integer); begin end;\nbegin\n  P(5);\nend.")
        << QStringLiteral("[Error] (3:5): Variable erforderlich");
    QTest::newRow("var argument type")
        << QStringLiteral("var w: Word;\nprocedure P(var a: Integer); begin end;\nbegin\n  P(w);\nend.")
        << QStringLiteral("[Error] (4:5): Die Typen der tatsächlichen und formalen var-Parameter müssen "
                          "übereinstimmen: 'Integer' und 'Word'");
    QTest::newRow("assign to constant")
        << QStringLiteral("const C = 1;\nbegin\n  C := 2;\nend.")
        << QStringLiteral("[Error] (3:3): Der linken Seite kann nichts zugewiesen werden");
    QTest::newRow("assign to const parameter")
        << QStringLiteral("procedure P(const a: Integer); begin\n  a := 1;\nend;\nbegin\nend.")
        << QStringLiteral(
               "[Error] (2:3): Der linken Seite kann nichts zugewiesen werden (const-Parameter 'a')");
    QTest::newRow("assign to for variable")
        << QStringLiteral("var i: Integer;\nbegin\n  for i := 1 to 3 do\n    i := 5;\nend.")
        << QStringLiteral("[Error] (4:5): Der FOR-Schleifenvariablen 'i' kann nichts zugewiesen werden");
    QTest::newRow("break outside loop")
        << QStringLiteral("begin\n  Break;\nend.")
        << QStringLiteral("[Error] (2:3): BREAK oder CONTINUE außerhalb einer Schleife");
    QTest::newRow("operator on wrong types")
        << QStringLiteral("var s: string; b: Boolean;\nbegin\n  s := s * 2;\nend.")
        << QStringLiteral("[Error] (3:10): Operator ist auf diesen Operandentyp nicht anwendbar");
    QTest::newRow("constant index out of range")
        << QStringLiteral("var a: array[1..3] of Integer;\nbegin\n  a[4] := 1;\nend.")
        << QStringLiteral("[Error] (3:5): Index 4 liegt außerhalb des Bereichs 1..3");
    QTest::newRow("constant division by zero") << QStringLiteral("const X = 1 div 0;\nbegin\nend.")
                                               << QStringLiteral("[Error] (1:13): Division durch Null");
    QTest::newRow("statement expected")
        << QStringLiteral("var i: Integer;\nbegin\n  i;\nend.")
        << QStringLiteral("[Error] (3:3): Anweisung erwartet, aber Ausdruck vom Typ 'Integer' gefunden");
    QTest::newRow("procedure has no value")
        << QStringLiteral("var i: Integer;\nprocedure P; begin end;\nbegin\n  i := P;\nend.")
        << QStringLiteral(
               "[Error] (4:8): Ausdruck erwartet, aber ein Prozeduraufruf gefunden (er liefert keinen Wert)");
    QTest::newRow("missing forward body")
        << QStringLiteral("procedure P; forward;\nbegin\nend.")
        << QStringLiteral("[Error] (1:11): Ungenügende Forward-Deklaration: 'P'");
    QTest::newRow("duplicate case label")
        << QStringLiteral("var i: Integer;\nbegin\n  case i of 1: ; 0..2: ; end;\nend.")
        << QStringLiteral("[Error] (3:18): Doppelte case-Marke");
    QTest::newRow("label inside an earlier range")
        << QStringLiteral("var i: Integer;\nbegin\n  case i of 0..2: ; 7: ; 2: ; end;\nend.")
        << QStringLiteral("[Error] (3:26): Doppelte case-Marke");
    QTest::newRow("range around an earlier label")
        << QStringLiteral("var i: Integer;\nbegin\n  case i of 5: ; 9: ; 1..6: ; end;\nend.")
        << QStringLiteral("[Error] (3:23): Doppelte case-Marke");
    QTest::newRow("overload on every routine of the name")
        << QStringLiteral("procedure P(a: Integer); begin end;\nprocedure P(const s: string); "
                          "overload; begin end;\nbegin\nend.")
        << QStringLiteral(
               "[Error] (2:11): 'P' gibt es schon: Routinen gleichen Namens brauchen alle 'overload'");
    QTest::newRow("overloads with the same parameters")
        << QStringLiteral("procedure P(a: Integer); overload; begin end;\nprocedure P(b: Integer); "
                          "overload; begin end;\nbegin\nend.")
        << QStringLiteral("[Error] (2:11): 'P' gibt es schon mit denselben Parametern");
    QTest::newRow("no overload fits")
        << QStringLiteral("procedure P(a: Integer); overload; begin end;\nprocedure P(const s: string); "
                          "overload; begin end;\nbegin\n  P(1.5);\nend.")
        << QStringLiteral("[Error] (4:3): Keine der überladenen Routinen 'P' passt zu diesen Argumenten");
    QTest::newRow("with needs a record")
        << QStringLiteral("var i: Integer;\nbegin\n  with i do ;\nend.")
        << QStringLiteral("[Error] (3:8): Record erforderlich: 'with' gibt es nur für Records");
    QTest::newRow("a class with fields")
        << QStringLiteral("type TFoo = class(Exception) x: Integer; end;\nbegin\nend.")
        << QStringLiteral("[Error] (1:30): Klassen werden nicht unterstützt: eine Ausnahmeklasse hat keine "
                          "eigenen Felder oder Methoden ('end' erwartet)");
    QTest::newRow("a class of TObject")
        << QStringLiteral("type TFoo = class(TObject) end;\nbegin\nend.")
        << QStringLiteral(
               "[Error] (1:19): Klassen werden nicht unterstützt, nur Ausnahmeklassen: 'TObject' ist keine");
    QTest::newRow("a library class")
        << QStringLiteral("var l: TList;\nbegin\nend.")
        << QStringLiteral("[Error] (1:8): Klassen werden nicht unterstützt: 'TList' gibt es hier nicht");
    QTest::newRow("a list member that is not there")
        << QStringLiteral("var l: TStringList;\nbegin\n  l.Items.Add('x');\nend.")
        << QStringLiteral("[Error] (3:5): 'Items' gibt es bei TStringList nicht (Klassen werden sonst nicht "
                          "unterstützt)");
    QTest::newRow("an indexed property without its index")
        << QStringLiteral("var l: TStringList; s: string;\nbegin\n  s := l.Values;\nend.")
        << QStringLiteral("[Error] (3:10): 'Values' braucht einen Index: Liste.Values[...]");
    QTest::newRow("a routine that does not fit the procedural type")
        << QStringLiteral("type TP = procedure(a: Integer);\nprocedure Q(const s: string); begin end;\n"
                          "var p: TP;\nbegin\n  p := Q;\nend.")
        << QStringLiteral(
               "[Error] (5:8): 'Q' passt nicht zum Prozedurtyp 'TP': Parameter oder Ergebnis sind anders");
    QTest::newRow("method pointers")
        << QStringLiteral("type TP = procedure of object;\nbegin\nend.")
        << QStringLiteral("[Error] (1:21): Methodenzeiger ('of object') werden nicht unterstützt");
    QTest::newRow("object types") << QStringLiteral("type TFoo = object end;\nbegin\nend.")
                                  << QStringLiteral(
                                         "[Error] (1:13): Objekttypen ('object') werden nicht unterstützt");
    QTest::newRow("goto is not supported")
        << QStringLiteral("begin\n  goto 1;\nend.")
        << QStringLiteral("[Error] (2:3): Sprungmarken (label/goto) werden nicht unterstützt");
    QTest::newRow("field of non-record")
        << QStringLiteral("var i: Integer;\nbegin\n  i.x := 1;\nend.")
        << QStringLiteral("[Error] (3:5): Record, Objekt oder Klassentyp erforderlich");
    QTest::newRow("unknown field") << QStringLiteral(
        "var r: record a: Integer; end;\nbegin\n  r.b := 1;\nend.")
                                   << QStringLiteral("[Error] (3:5): Unbekannter Bezeichner 'b'");
    QTest::newRow("type too large") << QStringLiteral("var a: array[0..99999999] of Integer;\nbegin\nend.")
                                    << QStringLiteral("[Error] (1:14): Datentyp zu groß: mehr als 64 MB");
    // built-ins whose arguments the compiler checks itself
    QTest::newRow("built-in with too few arguments")
        << QStringLiteral("var s: string;\nbegin\n  Delete(s, 1);\nend.")
        << QStringLiteral("[Error] (3:3): Nicht genügend wirkliche Parameter");
    QTest::newRow("built-in with too many arguments")
        << QStringLiteral("var i: Integer;\nbegin\n  i := Abs(1, 2);\nend.")
        << QStringLiteral("[Error] (3:15): Zu viele Parameter");
    QTest::newRow("Min needs two arguments")
        << QStringLiteral("var i: Integer;\nbegin\n  i := Min(1);\nend.")
        << QStringLiteral("[Error] (3:8): Nicht genügend wirkliche Parameter");
    QTest::newRow("DecodeTime takes four parts")
        << QStringLiteral("var h, m, s: Word;\nbegin\n  DecodeTime(Now, h, m, s);\nend.")
        << QStringLiteral("[Error] (3:3): Nicht genügend wirkliche Parameter");
    QTest::newRow("Length of a number") << QStringLiteral("var i: Integer;\nbegin\n  i := Length(i);\nend.")
                                        << QStringLiteral("[Error] (3:15): String oder Array erforderlich");
    QTest::newRow("SetLength of a static array")
        << QStringLiteral("var a: array[1..3] of Integer;\nbegin\n  SetLength(a, 5);\nend.")
        << QStringLiteral("[Error] (3:13): String oder dynamisches Array erforderlich");
    QTest::newRow("SetLength of an open array")
        << QStringLiteral(
               "procedure P(var a: array of Integer);\nbegin\n  SetLength(a, 5);\nend;\nbegin\nend.")
        << QStringLiteral("[Error] (3:13): Die Länge eines offenen Array-Parameters ist fest");
    QTest::newRow("SetLength beyond the dimensions")
        << QStringLiteral("var a: array of Integer;\nbegin\n  SetLength(a, 2, 3);\nend.")
        << QStringLiteral("[Error] (3:19): Zu viele Parameter");
    QTest::newRow("High of a real") << QStringLiteral("var r: Double;\nbegin\n  r := High(r);\nend.")
                                    << QStringLiteral("[Error] (3:13): Ordinaltyp oder Array erforderlich");
    QTest::newRow("Inc of a real") << QStringLiteral("var r: Double;\nbegin\n  Inc(r);\nend.")
                                   << QStringLiteral("[Error] (3:7): Ordinaltyp erforderlich");
    QTest::newRow("Inc by a real") << QStringLiteral("var i: Integer;\nbegin\n  Inc(i, 0.5);\nend.")
                                   << QStringLiteral(
                                          "[Error] (3:10): Inkompatible Typen: 'Integer' und 'Double'");
    QTest::newRow("Chr of a Char") << QStringLiteral("var c: Char;\nbegin\n  c := Chr(c);\nend.")
                                   << QStringLiteral(
                                          "[Error] (3:12): Inkompatible Typen: 'Integer' und 'Char'");
    QTest::newRow("Abs of a string")
        << QStringLiteral("var s: string;\nbegin\n  s := Abs(s);\nend.")
        << QStringLiteral("[Error] (3:8): Operator ist auf diesen Operandentyp nicht anwendbar");
    QTest::newRow("Copy of a string needs an index")
        << QStringLiteral("var s: string;\nbegin\n  s := Copy(s);\nend.")
        << QStringLiteral("[Error] (3:8): Nicht genügend wirkliche Parameter");
    QTest::newRow("Format arguments in brackets")
        << QStringLiteral("var s: string;\nbegin\n  s := Format('%d', 5);\nend.")
        << QStringLiteral(
               "[Error] (3:21): '[' erwartet: die Argumente von Format stehen in eckigen Klammern");
    QTest::newRow("Include into a non-set")
        << QStringLiteral("var i: Integer;\nbegin\n  Include(i, 1);\nend.")
        << QStringLiteral("[Error] (3:11): Mengentyp erforderlich");
    QTest::newRow("Include of a wrong element")
        << QStringLiteral("type TE = (eA, eB);\nvar x: set of TE;\nbegin\n  Include(x, 1);\nend.")
        << QStringLiteral("[Error] (4:14): Inkompatible Typen: 'TE' und 'Integer'");
    QTest::newRow("TryStrToInt needs an Integer variable")
        << QStringLiteral("var w: Word;\nbegin\n  if TryStrToInt('1', w) then ;\nend.")
        << QStringLiteral("[Error] (3:23): Die Typen der tatsächlichen und formalen var-Parameter müssen "
                          "übereinstimmen: 'Integer' und 'Word'");
    QTest::newRow("TryStrToFloat needs a real variable")
        << QStringLiteral("var i: Integer;\nbegin\n  if TryStrToFloat('1', i) then ;\nend.")
        << QStringLiteral("[Error] (3:25): Inkompatible Typen: 'Double' und 'Integer'");
    QTest::newRow("Val into a string")
        << QStringLiteral("var s: string; code: Integer;\nbegin\n  Val('1', s, code);\nend.")
        << QStringLiteral("[Error] (3:12): Val braucht eine Zahlenvariable und eine Integer-Variable");
    QTest::newRow("Str of a string") << QStringLiteral("var s: string;\nbegin\n  Str(s, s);\nend.")
                                     << QStringLiteral(
                                            "[Error] (3:7): Inkompatible Typen: 'Integer' und 'string'");
    QTest::newRow("Assigned of an integer")
        << QStringLiteral("var i: Integer;\nbegin\n  if Assigned(i) then ;\nend.")
        << QStringLiteral("[Error] (3:15): Objekt oder dynamisches Array erforderlich");
    QTest::newRow("Hi of a real") << QStringLiteral("var b: Byte;\nbegin\n  b := Hi(1.5);\nend.")
                                  << QStringLiteral("[Error] (3:11): Ordinaltyp erforderlich");
    QTest::newRow("Swap of an Integer")
        << QStringLiteral("var i: Integer;\nbegin\n  i := Swap(i);\nend.")
        << QStringLiteral("[Error] (3:13): Swap wird nur für 16-Bit-Werte unterstützt");
    QTest::newRow("FreeAndNil of an integer")
        << QStringLiteral("var i: Integer;\nbegin\n  FreeAndNil(i);\nend.")
        << QStringLiteral("[Error] (3:14): Objekt erforderlich");
    QTest::newRow("DecodeDate into a string")
        << QStringLiteral("var y, m: Word; d: string;\nbegin\n  DecodeDate(Now, y, m, d);\nend.")
        << QStringLiteral("[Error] (3:25): Inkompatible Typen: 'Word' und 'string'");
    QTest::newRow("Default of a value") << QStringLiteral("var i: Integer;\nbegin\n  i := Default(i);\nend.")
                                        << QStringLiteral("[Error] (3:16): Typbezeichner erwartet");
    QTest::newRow("FillChar of a record")
        << QStringLiteral("var r: record a: Integer; end;\nbegin\n  FillChar(r, SizeOf(r), 0);\nend.")
        << QStringLiteral(
               "[Error] (3:12): FillChar gibt es hier nur für Strings und Arrays einfacher Elemente");
    QTest::newRow("Break with parentheses")
        << QStringLiteral("begin\n  while True do\n    Break();\nend.")
        << QStringLiteral("[Error] (3:5): 'Break' ist hier nicht erlaubt");
    QTest::newRow("Exit as a value") << QStringLiteral("var i: Integer;\nbegin\n  i := Exit;\nend.")
                                     << QStringLiteral("[Error] (3:8): 'Exit' liefert keinen Wert");
}

void TstPascalEngine::compileErrors()
{
    QFETCH(QString, source);
    QFETCH(QString, error);
    TScript s;
    QVERIFY(!s.Compile(source));
    QCOMPARE(s.FirstError(), error);
    QVERIFY(!s.Engine.Run());
}

void TstPascalEngine::severalErrorsAreReported()
{
    TScript s;
    QVERIFY(
        !s.Compile(QStringLiteral("var i: Integer; s: string;\nbegin\n  i := s;\n  Foo;\n  s := i;\nend.")));
    QCOMPARE(s.Engine.Messages(),
             QStringList({QStringLiteral("[Error] (3:8): Inkompatible Typen: 'Integer' und 'string'"),
                          QStringLiteral("[Error] (4:3): Unbekannter Bezeichner 'Foo'"),
                          QStringLiteral("[Error] (5:8): Inkompatible Typen: 'string' und 'Integer'")}));
}

void TstPascalEngine::hintsAndWarnings_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QStringList>("messages");

    QTest::newRow("unused local")
        << QStringLiteral("procedure P;\nvar\n    x: Integer;\nbegin\nend;\nbegin P; end.")
        << QStringList{QStringLiteral("[Hint] (3:5): Variable 'x' wird nicht verwendet")};
    QTest::newRow("value never used")
        << QStringLiteral("procedure P;\nvar y: Integer;\nbegin\n  y := 5;\nend;\nbegin P; end.")
        << QStringList{QStringLiteral("[Hint] (4:3): Auf 'y' zugewiesener Wert wird niemals benutzt")};
    QTest::newRow("maybe uninitialised")
        << QStringLiteral("function F: Integer;\nvar z: Integer;\nbegin\n  Result := z;\nend;\nbegin F; end.")
        << QStringList{QStringLiteral(
               "[Warning] (4:13): Variable 'z' ist möglicherweise nicht initialisiert worden")};
    QTest::newRow("result undefined")
        << QStringLiteral("function F: Integer;\nbegin\nend;\nbegin F; end.")
        << QStringList{
               QStringLiteral("[Warning] (3:1): Rückgabewert der Funktion 'F' könnte undefiniert sein")};
    QTest::newRow("used variables give nothing")
        << QStringLiteral("procedure P(n: Integer);\nvar i, s: Integer;\nbegin\n  s := 0;\n  for i := 1 to n "
                          "do s := s + i;\n  if s > 0 then ;\nend;\nbegin P(1); end.")
        << QStringList();
}

void TstPascalEngine::hintsAndWarnings()
{
    QFETCH(QString, source);
    QFETCH(QStringList, messages);
    TScript s;
    QVERIFY(s.Compile(source));
    QCOMPARE(s.Engine.Messages(), messages);
}

void TstPascalEngine::cleanProgramHasNoMessages()
{
    TScript s;
    QVERIFY(s.Compile(kCrc16Script));
    QCOMPARE(s.Engine.Messages(), QStringList());
}

// ---- run-time errors ---------------------------------------------------------------------

void TstPascalEngine::runErrors_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("error");

    QTest::newRow("division by zero")
        << QStringLiteral("var i, z: Integer;\nbegin\n  z := 0;\n  i := 10 div z;\nend.")
        << QStringLiteral("Division durch Null (4:11)");
    QTest::newRow("mod by zero") << QStringLiteral("var i, z: Integer;\nbegin\n  i := 10 mod z;\nend.")
                                 << QStringLiteral("Division durch Null (3:11)");
    QTest::newRow("real division by zero") << QStringLiteral("var r: Double;\nbegin\n  r := 1 / r;\nend.")
                                           << QStringLiteral("Gleitkommadivision durch Null (3:10)");
    QTest::newRow("array index") << QStringLiteral(
        "var a: array[0..9] of Integer; i: Integer;\nbegin\n  i := 10;\n  a[i] := 1;\nend.")
                                 << QStringLiteral("Bereichsüberschreitung bei Index 10 (4:3)");
    QTest::newRow("array index read")
        << QStringLiteral("var a: array[1..3] of Integer; i: Integer;\nbegin\n  i := a[i];\nend.")
        << QStringLiteral("Bereichsüberschreitung bei Index 0 (3:8)");
    QTest::newRow("dynamic array index")
        << QStringLiteral("var a: array of Integer;\nbegin\n  SetLength(a, 5);\n  a[5] := 1;\nend.")
        << QStringLiteral("Bereichsüberschreitung bei Index 5 (4:3)");
    QTest::newRow("string index") << QStringLiteral(
        "var s: string; c: Char;\nbegin\n  s := 'abc';\n  c := s[4];\nend.")
                                  << QStringLiteral("Bereichsüberschreitung bei Index 4 (4:8)");
    QTest::newRow("string index zero")
        << QStringLiteral("var s: string;\nbegin\n  s := 'abc';\n  s[0] := 'x';\nend.")
        << QStringLiteral("Bereichsüberschreitung bei Index 0 (4:3)");
    QTest::newRow("bad StrToInt") << QStringLiteral("var i: Integer;\nbegin\n  i := StrToInt('abc');\nend.")
                                  << QStringLiteral("'abc' ist kein gültiger Integerwert (3:8)");
    QTest::newRow("bad StrToFloat") << QStringLiteral(
        "var r: Double;\nbegin\n  r := StrToFloat('1,5');\nend.")
                                    << QStringLiteral("'1,5' ist kein gültiger Gleitkommawert (3:8)");
    QTest::newRow("uncaught raise") << QStringLiteral(
        "begin\n  writeln('a');\n  raise Exception.Create('x');\nend.")
                                    << QStringLiteral("x (3:3)");
    QTest::newRow("raise in a routine")
        << QStringLiteral("procedure P;\nbegin\n  raise Exception.Create('deep');\nend;\nbegin\n  P;\nend.")
        << QStringLiteral("deep (3:3)");
    QTest::newRow("bad format") << QStringLiteral("var s: string;\nbegin\n  s := Format('%d', ['x']);\nend.")
                                << QStringLiteral(
                                       "Format '%d' ungültig oder nicht kompatibel mit Argument (3:8)");
    QTest::newRow("invalid float operation")
        << QStringLiteral("var r: Double;\nbegin\n  r := -1;\n  r := Sqrt(r);\nend.")
        << QStringLiteral("Ungültige Gleitkommaoperation (4:8)");
    QTest::newRow("round out of range")
        << QStringLiteral("var r: Double; i: Int64;\nbegin\n  r := 1e30;\n  i := Round(r);\nend.")
        << QStringLiteral("Ungültige Gleitkommaoperation (4:8)");
    QTest::newRow("bare raise without exception")
        << QStringLiteral("begin\n  raise;\nend.")
        << QStringLiteral("'raise' ohne Ausnahme: es wird gerade keine behandelt (2:3)");
    QTest::newRow("assert") << QStringLiteral("begin\n  Assert(1 > 2, 'kaputt');\nend.")
                            << QStringLiteral("kaputt (2:3)");
}

void TstPascalEngine::runErrors()
{
    QFETCH(QString, source);
    QFETCH(QString, error);
    TScript s;
    QVERIFY2(s.Compile(source), qPrintable(s.Errors()));
    QVERIFY(!s.Engine.Run());
    QCOMPARE(s.Engine.RunError(), error);
}

void TstPascalEngine::runErrorsAreCatchable_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("output");

    // (the script's strings are Latin-1: the expected lines are compared as such)
    QTest::newRow("division") << QStringLiteral("i := 1 div z;")
                              << QStringLiteral("EDivByZero: Division durch Null");
    QTest::newRow("index") << QStringLiteral("a[z + 7] := 1;")
                           << QStringLiteral("ERangeError: Bereichsüberschreitung bei Index 7");
    QTest::newRow("StrToInt") << QStringLiteral("i := StrToInt('1x');")
                              << QStringLiteral("EConvertError: '1x' ist kein gültiger Integerwert");
    QTest::newRow("size") << QStringLiteral("SetLength(s, 100000000);")
                          << QStringLiteral("EOutOfMemory: String oder Array größer als 64 MB");
    QTest::newRow("recursion") << QStringLiteral("Down(0);")
                               << QStringLiteral("EStackOverflow: Rekursion zu tief");
}

void TstPascalEngine::runErrorsAreCatchable()
{
    QFETCH(QString, statement);
    QFETCH(QString, output);
    TScript s;
    const QString decls = QStringLiteral("var i, z: Integer; a: array[0..3] of Integer; s: string;\n"
                                         "procedure Down(n: Integer); begin Down(n + 1); end;");
    const QString body = QStringLiteral("try\n") + statement
        + QStringLiteral("\nexcept\n  on E: Exception do writeln(E.ClassName + ': ' + "
                         "E.Message);\nend;\nwriteln('goes on');");
    QCOMPARE(s.Run(Program(body, decls)), output.toLatin1() + "\ngoes on\n");
}

// ---- limits ------------------------------------------------------------------------------

void TstPascalEngine::timeLimitEndsEndlessLoop()
{
    TEngineLimits limits;
    limits.MaxRunTimeMs = 200;
    TScript s(limits);
    QVERIFY(s.Compile(QStringLiteral("begin\n  while true do;\nend.")));
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!s.Engine.Run());
    QCOMPARE(s.Engine.RunError(), QStringLiteral("Zeitlimit von 200 ms überschritten (2:3)"));
    QVERIFY2(timer.elapsed() < 1000, qPrintable(QString::number(timer.elapsed())));
}

void TstPascalEngine::timeLimitIsNotCatchable()
{
    TEngineLimits limits;
    limits.MaxRunTimeMs = 200;
    TScript s(limits);
    const QByteArray out =
        s.Run(Program(QStringLiteral("try\n  try\n    repeat Inc(n) until n < 0;\n  finally\n    "
                                     "writeln('finally');\n  end;\nexcept\n  writeln('caught');\nend;"),
                      QStringLiteral("var n: Int64;")));
    QCOMPARE(out, QByteArray("!run: Zeitlimit von 200 ms überschritten (5:5)"));
}

void TstPascalEngine::timeLimitStopsSlowSearch()
{
    // a search that would compare for hours is stopped in the middle, not after it ends
    TEngineLimits limits;
    limits.MaxRunTimeMs = 200;
    TScript s(limits);
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(s.Run(Program(QStringLiteral("a := StringOfChar('a', 4000000);\nb := StringOfChar('a', 2000000) "
                                          "+ 'b';\nwriteln(IntToStr(Pos(b, a)));"),
                           QStringLiteral("var a, b: string;"))),
             QByteArray("!run: Zeitlimit von 200 ms überschritten (5:18)"));
    QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
}

void TstPascalEngine::wideFormatPaddingIsLinear()
{
    // 600 directives padded to 99,999 digits: 60 MB written once each, not zero by zero.
    TScript s;
    QCOMPARE(s.Run(Program(QStringLiteral("s := Format(DupeString('%0:.99999d', 600), [7]);\n"
                                          "writeln(IntToStr(Length(s)) + ' ' + Copy(s, 99997, 5));"),
                           QStringLiteral("var s: string;"))),
             QByteArray("59999400 00700\n"));
}

void TstPascalEngine::sleepCountsTowardTimeLimit()
{
    TEngineLimits limits;
    limits.MaxRunTimeMs = 300;
    TScript s(limits);
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(s.Run(Program(QStringLiteral("Sleep(50);\nwriteln('woke');"))), QByteArray("woke\n"));
    QVERIFY(timer.elapsed() >= 50);
    timer.restart();
    QCOMPARE(s.Run(Program(QStringLiteral("Sleep(100000);\nwriteln('never');"))),
             QByteArray("!run: Zeitlimit von 300 ms überschritten (3:1)"));
    QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
}

void TstPascalEngine::recursionLimit()
{
    TScript s;
    const QString decls = QStringLiteral("var depth: Integer;\nfunction R(n: Integer): Integer;\nbegin\n  "
                                         "depth := n;\n  Result := R(n + 1);\nend;");
    QCOMPARE(s.Run(Program(QStringLiteral("R(1);"), decls)), QByteArray("!run: Rekursion zu tief (5:13)"));
    // No count stops it, only the stack: ten thousand levels of a small function run.
    QCOMPARE(OnProgramStack([&] {
                 return s.Run(
                     Program(QStringLiteral("writeln(IntToStr(Deep(10000)));"),
                             QStringLiteral("function Deep(n: Integer): Integer; begin if n <= 1 then "
                                            "Result := 1 else Result := Deep(n - 1) + 1; end;")));
             }),
             QByteArray("10000\n"));
}

void TstPascalEngine::deepRecursionStaysOnTheStack()
{
    // With the count limit out of the way, the machine stack is what stops the recursion.
    TEngineLimits limits;
    limits.MaxCallDepth = 100000000;
    limits.MaxRunTimeMs = 30000;
    TScript s(limits);
    const QString decls =
        QStringLiteral("function R(n: Integer; const s: string): Integer;\nvar a, b, c: Integer;\nbegin\n"
                       "  a := n; b := a + 1; c := b * 2;\n  if (n >= 0) and ((a + b + c) <> 0) then Result "
                       ":= R(n + 1, s) + 1 else Result := 0;\nend;");
    const QByteArray out = s.Run(Program(
        QStringLiteral("try\n  R(0, 'x');\nexcept\n  on E: Exception do writeln(E.Message);\nend;"), decls));
    QCOMPARE(out, QByteArray("Rekursion zu tief\n"));
}

void TstPascalEngine::deepNestingIsACompileError_data()
{
    QTest::addColumn<QString>("source");

    const int n = 100000;
    QTest::newRow("parentheses") << Program(QStringLiteral("i := ") + QString(n, QLatin1Char('('))
                                                + QStringLiteral("1") + QString(n, QLatin1Char(')'))
                                                + QStringLiteral(";"),
                                            QStringLiteral("var i: Integer;"));
    QTest::newRow("blocks") << Program(QStringLiteral("begin ").repeated(n)
                                       + QStringLiteral("end ").repeated(n));
    QTest::newRow("unary minus") << Program(QStringLiteral("i := ") + QString(n, QLatin1Char('-'))
                                                + QStringLiteral("1;"),
                                            QStringLiteral("var i: Integer;"));
    // A chain is no nesting, but one longer than the stack can check still ends the compile.
    QTest::newRow("long sum") << Program(QStringLiteral("i := 1") + QStringLiteral(" + i").repeated(n)
                                             + QStringLiteral(";"),
                                         QStringLiteral("var i: Integer;"));
    const int routines = 18500;
    QTest::newRow("nested procedures") << QStringLiteral("procedure p;\n").repeated(routines)
            + QStringLiteral("begin end;\n").repeated(routines) + QStringLiteral("begin end.");
}

void TstPascalEngine::deepNestingIsACompileError()
{
    QFETCH(QString, source);
    TScript s;
    QVERIFY(!s.Compile(source));
    QVERIFY2(s.FirstError().contains(QStringLiteral("verschachtelt")), qPrintable(s.FirstError()));
}

void TstPascalEngine::flatChainsAreNotNesting()
{
    TScript s;
    const int n = 10000;
    QString branches;
    for (int i = 0; i < n; ++i)
        branches += QStringLiteral("if i = %1 then s := 'b%1' else ").arg(i);
    const QString source = Program(
        QStringLiteral("i := 1") + QStringLiteral(" + 2").repeated(n)
            + QStringLiteral(";\nwriteln(IntToStr(i));\ns := 'x'") + QStringLiteral(" + 'y'").repeated(n)
            + QStringLiteral(";\nwriteln(IntToStr(Length(s)));\ni := %1;\n").arg(n - 1) + branches
            + QStringLiteral("s := 'none';\nwriteln(s);"),
        QStringLiteral("var i: Integer; s: string;"));
    QCOMPARE(OnProgramStack([&] { return s.Run(source); }), QByteArray("20001\n10001\nb9999\n"));
}

void TstPascalEngine::stringListsAreReferences()
{
    // Two names, one list; Assign copies; a const parameter's list can still change; a list
    // never created is an error, not a crash.
    TScript s;
    QCOMPARE(
        s.Run(Program(
            QStringLiteral("a := TStringList.Create;\nb := a;\nb.Add('x');\nc := TStringList.Create;\n"
                           "c.Assign(a);\nc.Add('y');\nFill(a);\n"
                           "writeln(IntToStr(a.Count) + IntToStr(b.Count) + IntToStr(c.Count));\n"
                           "a := nil;\nwriteln(b[1]);\nwriteln(a[0]);"),
            QStringLiteral("var a, b, c: TStringList;\n"
                           "procedure Fill(const l: TStringList); begin l.Add('z'); end;"))),
        QByteArray("222\nz\n!run: Zugriffsverletzung: die Liste ist nicht angelegt (nil, TStringList.Create "
                   "fehlt) (14:9)"));
}

void TstPascalEngine::aShortStringNeverGrowsPastItsLength()
{
    // Free Pascal writes a length byte past the string's room here; it stays within it.
    TScript s;
    QCOMPARE(s.Run(Program(QStringLiteral("SetLength(t, 10);\nwriteln(IntToStr(Length(t)));"),
                           QStringLiteral("var t: string[3];"))),
             QByteArray("3\n"));
}

void TstPascalEngine::compilingIsBounded()
{
    // Too large a source is refused before it is read.
    TScript s;
    QVERIFY(!s.Compile(QString(4 * 1024 * 1024 + 1, QLatin1Char(' '))));
    QCOMPARE(s.FirstError(),
             QStringLiteral("[Error] (0:0): Das Skript ist zu groß: 4194305 Zeichen, erlaubt "
                            "sind höchstens 4194304 (4 MB)"));

    // Compiling takes its time from the run's limit.
    TEngineLimits limits;
    limits.MaxRunTimeMs = 1;
    TScript slow(limits);
    QVERIFY(!slow.Compile(
        Program(QStringLiteral("i := i + 1;\n").repeated(200000), QStringLiteral("var i: Integer;"))));
    QVERIFY2(slow.FirstError().contains(QStringLiteral("Zeitlimit von 1 ms beim Übersetzen überschritten")),
             qPrintable(slow.FirstError()));
}

void TstPascalEngine::sizeLimit_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("error");

    QTest::newRow("doubling a string") << Program(QStringLiteral("s := 'x';\nwhile true do\n  s := s + s;"),
                                                  QStringLiteral("var s: string;"))
                                       << QStringLiteral("String oder Array größer als 64 MB (5:3)");
    QTest::newRow("SetLength string")
        << Program(QStringLiteral("SetLength(s, 70000000);"), QStringLiteral("var s: string;"))
        << QStringLiteral("String oder Array größer als 64 MB (3:1)");
    QTest::newRow("SetLength array") << Program(QStringLiteral("SetLength(a, 20000000);"),
                                                QStringLiteral("var a: array of Integer;"))
                                     << QStringLiteral("String oder Array größer als 64 MB (3:1)");
    QTest::newRow("StringOfChar") << Program(QStringLiteral("s := StringOfChar('a', MaxInt);"),
                                             QStringLiteral("var s: string;"))
                                  << QStringLiteral("String oder Array größer als 64 MB (3:6)");
    QTest::newRow("Format result") << Program(
        QStringLiteral("s := Format(DupeString('%0:100000d', 1000), [5]);"), QStringLiteral("var s: string;"))
                                   << QStringLiteral("String oder Array größer als 64 MB (3:6)");
    QTest::newRow("many big strings")
        << Program(QStringLiteral("for i := 0 to 99 do SetLength(a[i], 60000000);"),
                   QStringLiteral("var a: array[0..99] of string; i: Integer;"))
        << QStringLiteral("Zu wenig Arbeitsspeicher: das Skript belegt mehr als 256 MB (3:21)");
}

void TstPascalEngine::sizeLimit()
{
    QFETCH(QString, source);
    QFETCH(QString, error);
    TScript s;
    QVERIFY2(s.Compile(source), qPrintable(s.Errors()));
    QVERIFY(!s.Engine.Run());
    QCOMPARE(s.Engine.RunError(), error);
}

// ---- the host ----------------------------------------------------------------------------

void TstPascalEngine::hostFunctions()
{
    TScript s;
    QByteArray sent;
    bool rts = true;
    QList<THostValue> crcArgs;
    QVERIFY(s.Engine.RegisterFunction(QStringLiteral("procedure Send(const aText: string);"),
                                      [&](const QList<THostValue>& a) {
                                          sent += a.at(0).String;
                                          return THostValue();
                                      }));
    QVERIFY(
        s.Engine.RegisterFunction(QStringLiteral("function GetRTS: boolean;"),
                                  [&](const QList<THostValue>&) { return THostValue::FromBoolean(rts); }));
    QVERIFY(
        s.Engine.RegisterFunction(QStringLiteral("function CRC16(aInitCRC: cardinal; aText: String): WORD;"),
                                  [&](const QList<THostValue>& a) {
                                      crcArgs = a;
                                      return THostValue::FromInteger(0x1234);
                                  }));
    QVERIFY(s.Engine.RegisterFunction(
        QStringLiteral("function Scale(x: Double; n: Byte): Double;"),
        [&](const QList<THostValue>& a) { return THostValue::FromReal(a.at(0).Real * a.at(1).Integer); }));
    const QByteArray out =
        s.Run(Program(QStringLiteral("Send('AT'#13);\nif GetRTS then Send('rts');\nw := CRC16(-1, "
                                     "'abc');\nwriteln(IntToHex(w, 4) + ' ' + FloatToStr(Scale(1.5, 258)));"),
                      QStringLiteral("var w: Word;")));
    QCOMPARE(out, QByteArray("1234 3\n"));
    QCOMPARE(sent, QByteArray("AT\rrts"));
    QCOMPARE(crcArgs.size(), 2);
    QCOMPARE(crcArgs.at(0).Kind, THostValue::TKind::Integer);
    QCOMPARE(crcArgs.at(0).Integer, qint64(0xFFFFFFFF)); // -1 as a Cardinal
    QCOMPARE(crcArgs.at(1).String, QByteArray("abc"));
}

void TstPascalEngine::hostResultIsTruncated()
{
    TScript s;
    s.Engine.RegisterFunction(QStringLiteral("function Big: WORD;"),
                              [](const QList<THostValue>&) { return THostValue::FromInteger(70000); });
    s.Engine.RegisterFunction(QStringLiteral("function Neg: Cardinal;"),
                              [](const QList<THostValue>&) { return THostValue::FromInteger(-1); });
    s.Engine.RegisterFunction(QStringLiteral("function Flag: Boolean;"),
                              [](const QList<THostValue>&) { return THostValue::FromInteger(5); });
    s.Engine.RegisterFunction(QStringLiteral("function Nothing: string;"),
                              [](const QList<THostValue>&) { return THostValue(); });
    QCOMPARE(s.Run(Program(QStringLiteral("writeln(IntToStr(Big) + ' ' + IntToStr(Neg) + ' ' + "
                                          "BoolToStr(Flag, True) + '[' + Nothing + ']');"))),
             QByteArray("4464 4294967295 True[]\n"));
}

void TstPascalEngine::hostErrorEndsRun()
{
    TScript s;
    s.Engine.RegisterFunction(
        QStringLiteral("procedure Fail(const aWhy: string);"), [](const QList<THostValue>& a) -> THostValue {
            throw EVarnexError(QStringLiteral("Port zu: ") + QString::fromLatin1(a.at(0).String));
        });
    QCOMPARE(s.Run(QStringLiteral("begin\n  writeln('a');\n  Fail('COM3');\n  writeln('b');\nend.")),
             QByteArray("a\n!run: Port zu: COM3 (3:3)"));
}

void TstPascalEngine::hostErrorIsCatchable()
{
    TScript s;
    s.Engine.RegisterFunction(QStringLiteral("procedure Fail;"), [](const QList<THostValue>&) -> THostValue {
        throw std::runtime_error("kaputt");
    });
    QCOMPARE(s.Run(Program(
                 QStringLiteral("try Fail; except on E: Exception do writeln('caught ' + E.Message); end;"))),
             QByteArray("caught kaputt\n"));
}

void TstPascalEngine::hostNameIsReserved()
{
    TScript s;
    s.Engine.RegisterFunction(QStringLiteral("procedure Send(const aText: string);"),
                              [](const QList<THostValue>&) { return THostValue(); });
    QVERIFY(!s.Compile(QStringLiteral("procedure Send(const aText: string);\nbegin\nend;\nbegin\nend.")));
    QCOMPARE(s.FirstError(), QStringLiteral("[Error] (1:11): Bezeichner doppelt deklariert: 'Send'"));
    QVERIFY(!s.Compile(QStringLiteral("var Text: string;\nbegin\nend.")));
    QCOMPARE(s.FirstError(), QStringLiteral("[Error] (1:5): Bezeichner doppelt deklariert: 'Text'"));
}

void TstPascalEngine::badHostDeclaration()
{
    TEngine e;
    const auto none = [](const QList<THostValue>&) { return THostValue(); };
    QVERIFY(!e.RegisterFunction(QStringLiteral("function X(a: Integer);"), none));
    QVERIFY(!e.RegisterFunction(QStringLiteral("procedure (a: Integer);"), none));
    QVERIFY(e.Messages().size() >= 2);
    QVERIFY(!e.Compile(QStringLiteral("begin end.")));
}

void TstPascalEngine::textVariable()
{
    TScript s;
    s.Text = "abc";
    QCOMPARE(s.Run(Program(QStringLiteral(
                 "writeln(Text + IntToStr(Length(Text)));\nText := UpperCase(Text) + #0#255;"))),
             QByteArray("abc3\n"));
    QCOMPARE(s.Text, QByteArray("ABC\0\xFF", 5));
}

void TstPascalEngine::textVariableWrittenAfterError()
{
    TScript s;
    s.Text = "in";
    QCOMPARE(s.Run(Program(QStringLiteral("Text := Text + '-out';\nraise Exception.Create('stop');"))),
             QByteArray("!run: stop (4:1)"));
    QCOMPARE(s.Text, QByteArray("in-out"));
}

void TstPascalEngine::runTwiceStartsFresh()
{
    TScript s;
    QVERIFY(s.Compile(Program(
        QStringLiteral(
            "Inc(n); a[1] := a[1] + 1; writeln(IntToStr(n) + IntToStr(a[1]) + IntToStr(Random(100)));"),
        QStringLiteral("var n: Integer; a: array[1..2] of Integer;"))));
    QVERIFY(s.Engine.Run());
    QVERIFY(s.Engine.Run());
    QCOMPARE(s.Output, QByteArray("110\n110\n"));
}

void TstPascalEngine::runInsideRunIsRefused()
{
    TScript s;
    QString nestedError;
    s.Engine.RegisterFunction(QStringLiteral("procedure Again;"), [&](const QList<THostValue>&) {
        if (s.Engine.Run())
            nestedError = QStringLiteral("ran");
        else
            nestedError = s.Engine.RunError();
        return THostValue();
    });
    QCOMPARE(s.Run(Program(QStringLiteral("Again; writeln('done');"))), QByteArray("done\n"));
    QCOMPARE(nestedError, QStringLiteral("Das Skript läuft bereits"));
}

void TstPascalEngine::runWithoutCompile()
{
    TEngine e;
    QVERIFY(!e.Run());
    QVERIFY(!e.RunError().isEmpty());
    QVERIFY(!e.Compile(QStringLiteral("begin x end.")));
    QVERIFY(!e.Run());
}

// ---- the CRC scripts a user would write --------------------------------------------------

void TstPascalEngine::crc16Script()
{
    TScript s;
    QVERIFY2(s.Compile(kCrc16Script), qPrintable(s.Errors()));
    const QByteArray data = QByteArray("123456789").repeated(100);
    s.Text = data;
    QVERIFY2(s.Engine.Run(), qPrintable(s.Engine.RunError()));
    const quint16 crc = Crc16Ccitt(data);
    QCOMPARE(s.Text, data + char(crc >> 8) + char(crc & 0xFF));
    QCOMPARE(Crc16Ccitt("123456789"), quint16(0x31C3));
}

void TstPascalEngine::crc16ScriptIsFast()
{
    // Compiling and running the script over 1 KB, as the send path does per line, takes far
    // less than a millisecond; a loose bound keeps slow test machines green.
    const QByteArray data(1024, 'U');
    QElapsedTimer timer;
    timer.start();
    const int rounds = 20;
    for (int i = 0; i < rounds; ++i) {
        TScript s;
        s.Text = data;
        QVERIFY(s.Compile(kCrc16Script));
        QVERIFY(s.Engine.Run());
        QCOMPARE(s.Text.size(), 1026);
    }
    const double ms = double(timer.nsecsElapsed()) / 1e6 / rounds;
    qInfo("compile and run of the CRC16 script over 1 KB: %.3f ms", ms);
    QVERIFY2(ms < 5.0, qPrintable(QString::number(ms)));
}

void TstPascalEngine::crcOverOneMegabyte()
{
    TScript s;
    QVERIFY(s.Compile(QStringLiteral(R"(
var T: array[0..255] of Word; i, j: Integer; crc: Word; s: string; c: Word;
begin
  for i := 0 to 255 do begin c := i shl 8; for j := 1 to 8 do if (c and $8000) <> 0 then c := (c shl 1) xor $1021 else c := c shl 1; T[i] := c; end;
  SetLength(s, 1000000); for i := 1 to Length(s) do s[i] := Chr(i mod 256);
  crc := 0; for i := 1 to Length(s) do crc := ((crc shl 8) or Ord(s[i])) xor T[crc shr 8];
  writeln(IntToStr(crc));
end.
)")));
    QElapsedTimer timer;
    timer.start();
    QVERIFY(s.Engine.Run());
    qInfo("CRC16 over 1 MB: %lld ms", timer.elapsed());
    QCOMPARE(s.Output, QByteArray("45386\n")); // what Free Pascal prints for the same program
    QVERIFY2(timer.elapsed() < 1000, qPrintable(QString::number(timer.elapsed())));
}

QTEST_GUILESS_MAIN(TstPascalEngine)
#include "tst_PascalEngine.moc"
