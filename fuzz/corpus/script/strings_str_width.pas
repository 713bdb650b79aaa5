// Str with a width and decimals, as Free Pascal writes numbers into a string; Val back.
var
  s: string;
  r: Double;
  i, code: Integer;
begin
  r := 3.14159;
  Str(r:8:3, s);
  writeln('[' + s + ']');
  Str(42:5, s);
  writeln('[' + s + ']');
  Str(-42:2, s);
  writeln('[' + s + ']');
  Str(r:0:2, s);
  writeln('[' + s + ']');
  Str(-r:10:0, s);
  writeln('[' + s + ']');
  Str(r:12, s);
  writeln('[' + s + ']');
  Str(-r:14, s);
  writeln('[' + s + ']');
  Str(r:30, s);
  writeln('[' + s + ']');
  Str(r, s);
  writeln('[' + s + ']');
  r := 1.5e-7;
  Str(r, s);
  writeln('[' + s + ']');
  i := 7;
  Str(i:3, s);
  writeln('[' + s + ']');
  Str(2.5:0:0, s);
  writeln('[' + s + ']');
  Val('123', i, code);
  writeln(IntToStr(i) + ' ' + IntToStr(code));
  Val('12x', i, code);
  writeln(IntToStr(code));
end.
