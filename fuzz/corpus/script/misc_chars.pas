program CharTricks;
// Chr, Ord, Succ, Pred and character arithmetic: Caesar shift, ROT13, case flipping
// by hand, digit values and a hand-written hexadecimal formatter.

function Rot(const s: string; n: Integer): string;
var
  i: Integer;
  c: Char;
begin
  Result := s;
  for i := 1 to Length(s) do
  begin
    c := s[i];
    if (c >= 'a') and (c <= 'z') then
      Result[i] := Chr(Ord('a') + (Ord(c) - Ord('a') + n) mod 26)
    else if (c >= 'A') and (c <= 'Z') then
      Result[i] := Chr(Ord('A') + (Ord(c) - Ord('A') + n) mod 26);
  end;
end;

function FlipCase(const s: string): string;
var
  i: Integer;
begin
  Result := s;
  for i := 1 to Length(Result) do
    case Result[i] of
      'a'..'z': Result[i] := Chr(Ord(Result[i]) - 32);
      'A'..'Z': Result[i] := Chr(Ord(Result[i]) + 32);
    end;
end;

function ToHex(n: Cardinal): string;
const
  Digits = '0123456789abcdef';
begin
  Result := '';
  repeat
    Result := Digits[n mod 16 + 1] + Result;
    n := n div 16;
  until n = 0;
end;

var
  c: Char;
  s: string;
  i, v: Integer;
begin
  writeln('Ord A=' + IntToStr(Ord('A')) + ' Chr 97=' + Chr(97) + ' Succ A=' + Succ('A') + ' Pred b=' + Pred('b'));
  c := 'y';
  c := Succ(Succ(c));
  writeln('after z comes code ' + IntToStr(Ord(c)) + ' ' + c);
  writeln(Rot('Hello, World!', 13));
  writeln(Rot(Rot('Hello, World!', 13), 13));
  writeln(Rot('xyz ABC', 3));
  writeln(FlipCase('Delphi 7 & Free Pascal'));
  s := '4096';
  v := 0;
  for i := 1 to Length(s) do
    v := v * 10 + Ord(s[i]) - Ord('0');
  writeln('parsed by hand ' + IntToStr(v + 1));
  writeln('hex ' + ToHex(0) + ' ' + ToHex(255) + ' ' + ToHex(3735928559));
  s := '';
  for c := 'a' to 'z' do
    if Odd(Ord(c)) then
      s := s + UpperCase(c)
    else
      s := s + c;
  writeln(s);
  writeln('digits: ' + Chr(Ord('0') + 7) + Chr(48) + Chr($39));
  writeln('char compare ' + IntToStr(Ord('a' < 'b')) + IntToStr(Ord('Z' < 'a')) + IntToStr(Ord(#255 > #0)));
end.
