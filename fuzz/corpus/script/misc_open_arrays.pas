// Open array parameters: they take static arrays (indexed from 0 inside the routine),
// dynamic arrays and array constructors; var open arrays change the caller's elements.
procedure Fill(var a: array of Integer; aValue: Integer);
var
  i: Integer;
begin
  for i := Low(a) to High(a) do
    a[i] := aValue + i;
end;

function Total(const a: array of Integer): Integer;
var
  i: Integer;
begin
  Result := 0;
  for i := 0 to High(a) do
    Result := Result + a[i];
end;

function JoinWords(const aWords: array of string; const aSep: string): string;
var
  i: Integer;
begin
  Result := '';
  for i := 0 to High(aWords) do
  begin
    if i > 0 then
      Result := Result + aSep;
    Result := Result + aWords[i];
  end;
end;

function MaxOf(const a: array of Integer): Integer;
var
  i: Integer;
begin
  Result := a[0];
  for i := 1 to High(a) do
    if a[i] > Result then
      Result := a[i];
end;

var
  arr: array[5..8] of Integer;
  dyn: array of Integer;
  names: array of string;
begin
  Fill(arr, 10);
  writeln('static ' + IntToStr(arr[5]) + ' ' + IntToStr(arr[8]) + ' total ' + IntToStr(Total(arr)));
  SetLength(dyn, 3);
  Fill(dyn, 1);
  writeln('dynamic ' + IntToStr(Total(dyn)) + ' high ' + IntToStr(High(dyn)));
  writeln('constructor ' + IntToStr(Total([1, 2, 3, 4])) + ' empty ' + IntToStr(Total([])));
  writeln('max ' + IntToStr(MaxOf([3, -1, 42, 7])) + ' ' + IntToStr(MaxOf(arr)));
  writeln(JoinWords(['a', 'b', 'c'], ', '));
  SetLength(names, 2);
  names[0] := 'x';
  names[1] := 'y';
  writeln(JoinWords(names, '+') + ' [' + JoinWords([], '-') + ']');
end.
