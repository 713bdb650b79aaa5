// Comparison of strings, case conversion, Trim and StringOfChar.
function B(aValue: Boolean): string;
begin
  if aValue then
    Result := 'T'
  else
    Result := 'F';
end;

var
  a: array[0..5] of string;
  i, j: Integer;
  tmp, line: string;
  ca, cz: Char;
begin
  writeln('abc<abd ' + B('abc' < 'abd'));
  writeln('ab<abc ' + B('ab' < 'abc'));
  writeln('B<a ' + B('B' < 'a'));
  writeln('empty<a ' + B('' < 'a'));
  writeln('abc=abc ' + B('abc' = 'abc'));
  writeln('abc<>ABC ' + B('abc' <> 'ABC'));
  writeln('z>=yy ' + B('z' >= 'yy'));
  writeln('a<=a ' + B('a' <= 'a'));
  writeln('upper eq ' + B(UpperCase('MiXeD') = UpperCase('mixed')));
  writeln(UpperCase('hello world 123_x'));
  writeln(LowerCase('HELLO World 123_X'));
  writeln('[' + Trim('   padded  ') + ']');
  writeln('[' + Trim(#9#13#10' tabs'#9) + ']');
  writeln('[' + Trim('') + ']');
  writeln('[' + Trim('    ') + ']');
  writeln('[' + Trim('no-pad') + ']');
  writeln('[' + StringOfChar('*', 5) + ']');
  writeln('[' + StringOfChar('-', 0) + ']');
  writeln(StringOfChar('=', 3) + ' title ' + StringOfChar('=', 3));
  a[0] := 'pear';
  a[1] := 'Apple';
  a[2] := 'apple';
  a[3] := 'banana';
  a[4] := 'Banana';
  a[5] := 'app';
  for i := 0 to 4 do
    for j := 0 to 4 - i do
      if a[j] > a[j + 1] then
      begin
        tmp := a[j];
        a[j] := a[j + 1];
        a[j + 1] := tmp;
      end;
  line := '';
  for i := 0 to 5 do
    line := line + a[i] + ' ';
  writeln(Trim(line));
  ca := 'a';
  cz := 'Z';
  if ca > cz then
    writeln('char a > Z')
  else
    writeln('char a <= Z');
end.
