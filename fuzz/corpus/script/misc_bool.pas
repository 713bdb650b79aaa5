// Boolean logic: and/or/not/xor, short-circuit evaluation, comparisons, Ord of
// booleans, boolean variables in conditions and text for booleans.
var
  Calls: Integer;

function BoolText(b: Boolean): string;
begin
  if b then
    Result := 'True'
  else
    Result := 'False';
end;

function Touch(aValue: Boolean): Boolean;
begin
  Inc(Calls);
  Result := aValue;
end;

var
  a, b, c: Boolean;
  i: Integer;
  s: string;
begin
  for i := 0 to 3 do
  begin
    a := (i and 2) <> 0;
    b := (i and 1) <> 0;
    writeln(BoolText(a) + ' ' + BoolText(b) + ': and=' + BoolText(a and b) + ' or=' + BoolText(a or b)
      + ' xor=' + BoolText(a xor b) + ' not a=' + BoolText(not a));
  end;
  Calls := 0;
  c := Touch(False) and Touch(True);
  writeln('false and ...: ' + BoolText(c) + ', calls ' + IntToStr(Calls));
  Calls := 0;
  c := Touch(True) or Touch(False);
  writeln('true or ...: ' + BoolText(c) + ', calls ' + IntToStr(Calls));
  Calls := 0;
  c := Touch(True) and Touch(False);
  writeln('true and ...: ' + BoolText(c) + ', calls ' + IntToStr(Calls));
  s := '';
  if (Length(s) > 0) and (s[1] = 'x') then
    writeln('not reached')
  else
    writeln('guarded index on empty string');
  writeln('Ord ' + IntToStr(Ord(False)) + IntToStr(Ord(True)) + ', False<True ' + BoolText(False < True));
  a := 3 > 2;
  b := a = True;
  writeln('comparisons ' + BoolText(a) + ' ' + BoolText(b) + ' ' + BoolText(not (1 = 1)));
  i := 5;
  c := (i > 0) and (i < 10) and not (i = 7);
  writeln('range test ' + BoolText(c));
  writeln('bitwise on integers still ' + IntToStr(6 and 3) + ' ' + IntToStr(6 or 3) + ' ' + IntToStr(6 xor 3));
  a := True;
  a := not a;
  if not a then
    writeln('negated variable works');
  writeln('Succ(False)=' + BoolText(Succ(False)) + ' Pred(True)=' + BoolText(Pred(True)));
end.
