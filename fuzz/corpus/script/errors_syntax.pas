// expect-compile-error: 7:14
// A missing closing parenthesis: the error is reported at the ';' where ')' was expected.
var
  a: Integer;
begin
  a := 1;
  a := (a + 2;
  writeln(IntToStr(a));
end.
