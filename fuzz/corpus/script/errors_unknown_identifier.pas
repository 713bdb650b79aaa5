// expect-compile-error: 8:8 Undeclared_Thing
// An identifier that is declared nowhere: the message names it and points at its start.
var
  a: Integer;
begin
  a := 1;
  writeln(IntToStr(a));
  a := Undeclared_Thing + 1;
  writeln(IntToStr(a));
end.
