// div and mod truncate toward zero; mixed signed/unsigned values compare by value.
procedure Show(a, b: Integer);
begin
  writeln(IntToStr(a) + ' div ' + IntToStr(b) + ' = ' + IntToStr(a div b)
    + ', mod = ' + IntToStr(a mod b));
end;

function B(aValue: Boolean): string;
begin
  if aValue then Result := 'yes' else Result := 'no';
end;

var
  c: Cardinal;
  i: Integer;
  w: Word;
  s: ShortInt;
  r: Int64;
begin
  Show(7, 2);
  Show(-7, 2);
  Show(7, -2);
  Show(-7, -2);
  Show(0, 5);
  Show(5, 7);
  Show(-5, 7);
  Show(MaxInt, 1000);
  c := 4000000000;
  i := -1;
  writeln('cardinal > -1: ' + B(c > i));
  r := c + i;
  writeln('cardinal + integer = ' + IntToStr(r));
  r := c;
  r := r * 2;
  writeln('cardinal * 2 in int64 = ' + IntToStr(r));
  writeln('cardinal div 3 = ' + IntToStr(c div 3));
  writeln('cardinal mod 7 = ' + IntToStr(c mod 7));
  w := 65000;
  s := -100;
  writeln('word + shortint = ' + IntToStr(w + s));
  writeln('word < shortint: ' + B(w < s));
  writeln('abs ' + IntToStr(Abs(-42)) + ' ' + IntToStr(Abs(42)) + ' ' + IntToStr(Abs(0)));
  writeln('sqr ' + IntToStr(Sqr(12)) + ' ' + IntToStr(Sqr(-9)));
  writeln('odd ' + B(Odd(3)) + ' ' + B(Odd(-3)) + ' ' + B(Odd(0)) + ' ' + B(Odd(10)));
  i := 17;
  Inc(i);
  Inc(i, 5);
  Dec(i, 3);
  Dec(i);
  writeln('inc/dec ' + IntToStr(i));
  i := -17;
  writeln('-17 mod 5 = ' + IntToStr(i mod 5) + ', -17 div 5 = ' + IntToStr(i div 5));
  r := -10000000000;
  writeln('int64 div ' + IntToStr(r div 3) + ' mod ' + IntToStr(r mod 3));
  writeln('precedence ' + IntToStr(2 + 3 * 4) + ' ' + IntToStr((2 + 3) * 4) + ' ' + IntToStr(20 div 3 * 3)
    + ' ' + IntToStr(-2 * -3) + ' ' + IntToStr(10 - 4 - 3));
end.
