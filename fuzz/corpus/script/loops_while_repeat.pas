// while and repeat loops with break and continue; gcd, Collatz, digit sums.
function Gcd(a, b: Integer): Integer;
var
  t: Integer;
begin
  while b <> 0 do
  begin
    t := a mod b;
    a := b;
    b := t;
  end;
  Result := a;
end;

var
  n, steps, i, digits: Integer;
  line: string;
begin
  writeln('gcd ' + IntToStr(Gcd(1071, 462)) + ' ' + IntToStr(Gcd(17, 5)) + ' ' + IntToStr(Gcd(0, 9)));
  n := 27;
  steps := 0;
  while n <> 1 do
  begin
    if Odd(n) then
      n := 3 * n + 1
    else
      n := n div 2;
    Inc(steps);
  end;
  writeln('collatz 27 steps ' + IntToStr(steps));
  n := 0;
  repeat
    Inc(n);
  until n >= 5;
  writeln('repeat ran to ' + IntToStr(n));
  n := 100;
  repeat
    Inc(n);
  until True;
  writeln('repeat body runs once: ' + IntToStr(n));
  n := 100;
  while n < 100 do
    Inc(n);
  writeln('while body may not run: ' + IntToStr(n));
  i := 0;
  line := '';
  while True do
  begin
    Inc(i);
    if i mod 2 = 0 then
      Continue;
    if i > 11 then
      Break;
    line := line + IntToStr(i) + ' ';
  end;
  writeln('odd numbers: ' + line);
  i := 0;
  line := '';
  repeat
    Inc(i);
    if i = 3 then
      Continue;
    line := line + IntToStr(i);
  until i >= 6;
  writeln('repeat with continue: ' + line);
  n := 987654321;
  digits := 0;
  i := 0;
  repeat
    i := i + n mod 10;
    n := n div 10;
    Inc(digits);
  until n = 0;
  writeln('digits ' + IntToStr(digits) + ' sum ' + IntToStr(i));
  n := 1;
  i := 0;
  while n < 1000000 do
  begin
    n := n * 2;
    Inc(i);
  end;
  writeln('2^' + IntToStr(i) + ' = ' + IntToStr(n));
end.
