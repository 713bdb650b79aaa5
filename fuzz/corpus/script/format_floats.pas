// %.nf rounds half away from zero on the decimal form of the value; Round is banker's
// rounding; Trunc cuts toward zero; FloatToStr on values with short exact forms.
var
  x: Double;
  i: Integer;
  line: string;
begin
  writeln(Format('%.2f', [3.14159]));
  writeln(Format('%.0f %.0f %.0f %.0f', [0.5, 1.5, 2.5, -2.5]));
  writeln(Format('%.2f %.2f %.1f %.1f', [0.125, 0.375, -2.25, 0.05]));
  writeln(Format('%.2f %.2f %.2f', [1.005, 2.675, 1.115]));
  writeln(Format('%.3f %.1f %.4f', [2.0, 100.0, -0.00005]));
  writeln(Format('[%8.2f][%-8.2f][%1.1f]', [3.14159, 3.14159, 123.456]));
  writeln(Format('%.2f', [1234567.891]));
  writeln(Format('%.2f|%.2f', [0.0, 0.001]));
  writeln(Format('%.5f', [1 / 3]));
  writeln(Format('%.3f', [2 / 3]));
  x := 10;
  x := x / 4;
  writeln(Format('10/4 = %.2f', [x]));
  writeln('round ' + IntToStr(Round(0.5)) + ' ' + IntToStr(Round(1.5)) + ' ' + IntToStr(Round(2.5))
    + ' ' + IntToStr(Round(3.5)) + ' ' + IntToStr(Round(-0.5)) + ' ' + IntToStr(Round(-1.5))
    + ' ' + IntToStr(Round(-2.5)));
  writeln('round ' + IntToStr(Round(2.4)) + ' ' + IntToStr(Round(2.6)) + ' ' + IntToStr(Round(-2.6))
    + ' ' + IntToStr(Round(1e10)));
  writeln('trunc ' + IntToStr(Trunc(2.9)) + ' ' + IntToStr(Trunc(-2.9)) + ' ' + IntToStr(Trunc(0.99))
    + ' ' + IntToStr(Trunc(-0.5)) + ' ' + IntToStr(Trunc(12345678901.5)));
  writeln('abs ' + Format('%.2f', [Abs(-1.25)]) + ' sqr ' + Format('%.2f', [Sqr(1.5)]));
  writeln('int/real mix ' + Format('%.2f', [7 / 2]) + ' ' + IntToStr(7 div 2));
  writeln('FloatToStr ' + FloatToStr(2.5) + ' ' + FloatToStr(-0.75) + ' ' + FloatToStr(100) + ' '
    + FloatToStr(0) + ' ' + FloatToStr(1e6) + ' ' + FloatToStr(0.125));
  line := '';
  x := 0;
  for i := 1 to 10 do
    x := x + 0.1;
  writeln(Format('ten times 0.1 = %.10f', [x]));
  if x = 1.0 then
    writeln('exactly one')
  else
    writeln('not exactly one');
  for i := 0 to 4 do
    line := line + Format('%.1f ', [i * 0.25]);
  writeln(Trim(line));
end.
