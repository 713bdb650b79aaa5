// expect-run-error: 15
// expect-line: 10
// expect-line: 20
// expect-line: 30
// A static array read with an index past its upper bound stops the run at that line.
var
  a: array[1..3] of Integer;
  i, sum: Integer;
begin
  for i := 1 to 3 do
    a[i] := i * 10;
  sum := 0;
  for i := 1 to 4 do
  begin
    sum := sum + a[i];
    writeln(IntToStr(a[i]));
  end;
  writeln(IntToStr(sum));
end.
