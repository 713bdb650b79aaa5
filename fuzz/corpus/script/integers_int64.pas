// Int64 arithmetic: factorials, powers, large sums and conversions.
function Factorial(n: Integer): Int64;
var
  i: Integer;
begin
  Result := 1;
  for i := 2 to n do
    Result := Result * i;
end;

function Power(aBase: Int64; aExp: Integer): Int64;
begin
  Result := 1;
  while aExp > 0 do
  begin
    if Odd(aExp) then
      Result := Result * aBase;
    aBase := aBase * aBase;
    aExp := aExp shr 1;
  end;
end;

var
  i: Integer;
  sum, x: Int64;
  c: Cardinal;
begin
  for i := 15 to 20 do
    writeln(IntToStr(i) + '! = ' + IntToStr(Factorial(i)));
  writeln('2^62 = ' + IntToStr(Power(2, 62)));
  writeln('3^39 = ' + IntToStr(Power(3, 39)));
  writeln('10^18 = ' + IntToStr(Power(10, 18)));
  sum := 0;
  for i := 1 to 100000 do
    sum := sum + i * 3;
  writeln('sum ' + IntToStr(sum));
  x := 123456789;
  x := x * 1000000007;
  writeln('product ' + IntToStr(x));
  writeln('product mod 97 ' + IntToStr(x mod 97));
  x := -x;
  writeln('negated ' + IntToStr(x) + ' div 1000 = ' + IntToStr(x div 1000));
  c := High(Cardinal);
  x := c;
  x := x + 1;
  writeln('High(Cardinal)+1 in int64 ' + IntToStr(x));
  x := StrToInt64('-9000000000000000000');
  writeln('parsed ' + IntToStr(x));
  x := x * 2;
  writeln('wrapped ' + IntToStr(x));
  writeln('hex ' + IntToHex(Power(2, 40) - 1, 12));
end.
