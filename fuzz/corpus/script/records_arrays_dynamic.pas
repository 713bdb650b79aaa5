// Dynamic arrays: SetLength (new elements are zero), growing and shrinking, High/Low
// and Length of empty arrays, arrays of strings, and reference semantics of assignment.
type
  TIntArray = array of Integer;

function MakeRange(aFrom, aTo: Integer): TIntArray;
var
  i: Integer;
begin
  SetLength(Result, aTo - aFrom + 1);
  for i := 0 to High(Result) do
    Result[i] := aFrom + i;
end;

function Join(const a: TIntArray): string;
var
  i: Integer;
begin
  Result := '';
  for i := Low(a) to High(a) do
  begin
    if i > 0 then
      Result := Result + ',';
    Result := Result + IntToStr(a[i]);
  end;
  Result := '(' + Result + ')';
end;

procedure Append(var a: TIntArray; aValue: Integer);
begin
  SetLength(a, Length(a) + 1);
  a[High(a)] := aValue;
end;

var
  a, b: TIntArray;
  words: array of string;
  grid: array of array of Integer;
  i, j: Integer;
  line: string;
begin
  writeln('empty: length ' + IntToStr(Length(a)) + ' low ' + IntToStr(Low(a)) + ' high ' + IntToStr(High(a)));
  SetLength(a, 4);
  writeln('zeroed ' + Join(a));
  a[0] := 10; a[3] := 40;
  SetLength(a, 6);
  writeln('grown ' + Join(a));
  SetLength(a, 2);
  writeln('shrunk ' + Join(a));
  a := MakeRange(-2, 3);
  writeln('range ' + Join(a) + ' high ' + IntToStr(High(a)));
  for i := 1 to 3 do
    Append(a, i * 100);
  writeln('appended ' + Join(a));
  b := a; b[0] := 777;
  writeln('shared after assignment: a[0] = ' + IntToStr(a[0]));
  b := Copy(a, 0, Length(a));
  b[1] := 555;
  writeln('independent after Copy: a[1] = ' + IntToStr(a[1]) + ', b[1] = ' + IntToStr(b[1]));
  SetLength(words, 3);
  words[0] := 'alpha'; words[1] := 'beta';
  writeln('string elements start empty: [' + words[2] + '] ' + IntToStr(Length(words[2])));
  words[2] := words[0] + words[1];
  line := '';
  for i := 0 to High(words) do
    line := line + words[i] + ';';
  writeln(line);
  SetLength(grid, 3);
  for i := 0 to 2 do
  begin
    SetLength(grid[i], i + 2);
    for j := 0 to High(grid[i]) do
      grid[i][j] := (i + 1) * (j + 1);
  end;
  for i := 0 to High(grid) do
  begin
    line := '';
    for j := 0 to High(grid[i]) do
      line := line + IntToStr(grid[i, j]) + ' ';
    writeln('grid row ' + IntToStr(i) + ': ' + Trim(line) + ' (' + IntToStr(Length(grid[i])) + ')');
  end;
  a := nil;
  writeln('after nil: ' + IntToStr(Length(a)) + ' ' + Join(a));
  SetLength(a, 0);
  writeln('SetLength 0: ' + IntToStr(Length(a)));
end.
