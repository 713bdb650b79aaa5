// expect-run-error: 8 Division
// expect-line: before
// Integer division by zero inside a function: the run stops with the position of the division.
function Ratio(a, b: Integer): Integer;
var
  q: Integer;
begin
  q := a div b;
  Result := q;
end;

var
  zero: Integer;
begin
  zero := 0;
  writeln('before');
  writeln(IntToStr(Ratio(10, zero)));
  writeln('not reached');
end.
