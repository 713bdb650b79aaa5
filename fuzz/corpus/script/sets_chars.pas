// Sets of characters: membership with ranges, set constants, union, difference,
// intersection, comparison, Include and Exclude.
type
  TCharSet = set of Char;

const
  Digits = ['0'..'9'];
  HexDigits: TCharSet = ['0'..'9', 'A'..'F', 'a'..'f'];
  Vowels = ['a', 'e', 'i', 'o', 'u'];

function SetText(const s: TCharSet): string;
var
  c: Char;
begin
  Result := '';
  for c := #32 to #126 do
    if c in s then
      Result := Result + c;
  Result := '{' + Result + '}';
end;

function IsNumber(const s: string): Boolean;
var
  i: Integer;
begin
  Result := s <> '';
  for i := 1 to Length(s) do
    if not (s[i] in Digits) then
      Exit(False);
end;

function YesNo(b: Boolean): string;
begin
  if b then Result := 'yes' else Result := 'no';
end;

var
  letters, s: TCharSet;
  text: string;
  i, n: Integer;
begin
  writeln('5 digit ' + YesNo('5' in Digits) + ', x digit ' + YesNo('x' in Digits));
  writeln('numbers ' + YesNo(IsNumber('12345')) + ' ' + YesNo(IsNumber('12a45')) + ' ' + YesNo(IsNumber('')));
  text := 'Hex 1F, cafe and 0x7G!';
  n := 0;
  for i := 1 to Length(text) do
    if text[i] in HexDigits then
      Inc(n);
  writeln('hex chars ' + IntToStr(n));
  letters := ['a'..'z'];
  s := letters - Vowels;
  writeln('consonants ' + IntToStr(Ord('y' in s)) + IntToStr(Ord('e' in s)));
  s := Vowels * ['a'..'f'];
  writeln('vowels a..f ' + SetText(s));
  s := Digits + ['x', 'y'] + [];
  writeln('union ' + SetText(s));
  s := [];
  writeln('empty ' + SetText(s) + ' ' + YesNo(s = []));
  Include(s, 'q');
  Include(s, 'b');
  Include(s, 'q');
  writeln('after include ' + SetText(s));
  Exclude(s, 'q');
  Exclude(s, 'z');
  writeln('after exclude ' + SetText(s));
  writeln('subset ' + YesNo(['a', 'e'] <= Vowels) + ' ' + YesNo(Vowels <= ['a', 'e']));
  writeln('superset ' + YesNo(letters >= Vowels));
  writeln('equal ' + YesNo(['a'..'c'] = ['c', 'b', 'a']) + ' ' + YesNo(['a'] <> ['b']));
  text := 'Hello, World! 42 times.';
  n := 0;
  for i := 1 to Length(text) do
    if text[i] in ['A'..'Z', 'a'..'z'] then
      Inc(n)
    else if text[i] in [' ', ',', '.', '!'] then
      text[i] := '_';
  writeln(IntToStr(n) + ' letters, ' + text);
  if #0 in [#0..#31] then
    writeln('control chars are a range');
end.
