// Currency keeps four decimals: sums of tenths stay exact, divisions are cut to four places,
// values read with StrToCurr and written with CurrToStr round the same way.
var
  c, total: Currency;
  d: Double;
  i: Integer;
begin
  total := 0;
  for i := 1 to 10 do
    total := total + 0.1;
  writeln(CurrToStr(total));
  if total = 1 then
    writeln('genau 1')
  else
    writeln('nicht 1');
  c := 1 / 3;
  writeln(CurrToStr(c));
  writeln(CurrToStr(c * 3));
  d := 1 / 3;
  writeln(BoolToStr(d * 3 = 1, True));
  c := 2.71828;
  writeln(CurrToStr(c));
  c := -12.34567;
  writeln(CurrToStr(c));
  c := StrToCurr('19.99');
  total := c * 3;
  writeln(CurrToStr(total));
  writeln(Format('%.2f', [total]));
  c := 123456789.12345;
  writeln(CurrToStr(c));
end.
