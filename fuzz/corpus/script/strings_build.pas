// Building strings in loops: word splitting, replacing, counting, palindromes,
// and copy-on-write (an assigned string does not share changes).
function ReplaceAll(const aText, aOld, aNew: string): string;
var
  rest: string;
  p: Integer;
begin
  Result := '';
  rest := aText;
  p := Pos(aOld, rest);
  while p > 0 do
  begin
    Result := Result + Copy(rest, 1, p - 1) + aNew;
    Delete(rest, 1, p + Length(aOld) - 1);
    p := Pos(aOld, rest);
  end;
  Result := Result + rest;
end;

function IsPalindrome(const s: string): Boolean;
var
  i, n: Integer;
begin
  n := Length(s);
  for i := 1 to n div 2 do
    if s[i] <> s[n + 1 - i] then
      Exit(False);
  Result := True;
end;

function CountChar(const s: string; c: Char): Integer;
var
  i: Integer;
begin
  Result := 0;
  for i := 1 to Length(s) do
    if s[i] = c then
      Inc(Result);
end;

var
  text, word, a, b: string;
  i, n: Integer;
begin
  text := 'the quick brown fox jumps over the lazy dog';
  n := 0;
  word := '';
  for i := 1 to Length(text) + 1 do
  begin
    if (i > Length(text)) or (text[i] = ' ') then
    begin
      if word <> '' then
      begin
        Inc(n);
        writeln(IntToStr(n) + ': ' + word + ' (' + IntToStr(Length(word)) + ')');
      end;
      word := '';
    end
    else
      word := word + text[i];
  end;
  writeln(ReplaceAll(text, 'the', 'a'));
  writeln(ReplaceAll('aaaa', 'aa', 'b'));
  writeln(ReplaceAll('abc', 'x', 'y'));
  writeln('o count ' + IntToStr(CountChar(text, 'o')));
  if IsPalindrome('racecar') then writeln('racecar yes') else writeln('racecar no');
  if IsPalindrome('abca') then writeln('abca yes') else writeln('abca no');
  if IsPalindrome('') then writeln('empty yes') else writeln('empty no');
  a := 'shared';
  b := a;
  b[1] := 'S';
  writeln(a + ' ' + b);
  a := a + '!';
  writeln(a + ' ' + b);
end.
