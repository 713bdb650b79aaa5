// Strings are 1-based 8-bit values: indexing, assignment of single characters,
// Length/SetLength, concatenation of characters, doubled quotes and # literals.
var
  s, t: string;
  c: Char;
  i: Integer;
begin
  s := 'Pascal';
  writeln('length ' + IntToStr(Length(s)));
  writeln('first ' + s[1] + ' last ' + s[Length(s)]);
  s[1] := 'p';
  s[6] := 'L';
  writeln(s);
  t := '';
  for i := Length(s) downto 1 do
    t := t + s[i];
  writeln('reversed ' + t);
  c := 'x';
  t := c + c + 'y' + c;
  writeln(t + ' has ' + IntToStr(Length(t)) + ' chars');
  t := 'A' + 'B';
  writeln(t);
  writeln('it''s ''quoted''');
  writeln('''''');
  writeln('tab[' + #9 + '] code ' + IntToStr(Ord(#9)));
  t := 'AB'#67'D'#$45;
  writeln(t);
  t := 'line1'#13#10'line2';
  writeln('len with CRLF ' + IntToStr(Length(t)));
  writeln(t);
  s := 'abcdef';
  SetLength(s, 3);
  writeln(s + ' ' + IntToStr(Length(s)));
  SetLength(s, 5);
  s[4] := 'x';
  s[5] := 'y';
  writeln(s);
  SetLength(s, 0);
  if s = '' then
    writeln('empty after SetLength 0');
  s := '';
  for i := 1 to 5 do
    s := s + Chr(Ord('0') + i);
  writeln(s);
  writeln('empty length ' + IntToStr(Length('')));
  writeln('');
  writeln('done');
end.
