// Every integer type wraps when a value is assigned that does not fit
// (range checks off, as in a default Delphi build).
var
  b: Byte;
  si: ShortInt;
  w: Word;
  sm: SmallInt;
  c: Cardinal;
  i: Integer;
  l: Longint;
  i64: Int64;
  n: Integer;
begin
  b := 255;
  b := b + 1;
  writeln('byte 255+1 = ' + IntToStr(b));
  b := 0;
  b := b - 1;
  writeln('byte 0-1 = ' + IntToStr(b));
  n := 300;
  b := n;
  writeln('byte := 300 -> ' + IntToStr(b));
  n := -2;
  b := n;
  writeln('byte := -2 -> ' + IntToStr(b));
  si := 127;
  si := si + 1;
  writeln('shortint 127+1 = ' + IntToStr(si));
  n := 200;
  si := n;
  writeln('shortint := 200 -> ' + IntToStr(si));
  w := 65535;
  w := w + 1;
  writeln('word 65535+1 = ' + IntToStr(w));
  n := -1;
  w := n;
  writeln('word := -1 -> ' + IntToStr(w));
  n := 70000;
  w := n;
  writeln('word := 70000 -> ' + IntToStr(w));
  sm := 32767;
  sm := sm + 1;
  writeln('smallint 32767+1 = ' + IntToStr(sm));
  n := 40000;
  sm := n;
  writeln('smallint := 40000 -> ' + IntToStr(sm));
  c := 0;
  c := c - 1;
  writeln('cardinal 0-1 = ' + IntToStr(c));
  n := -5;
  c := n;
  writeln('cardinal := -5 -> ' + IntToStr(c));
  i := MaxInt;
  i := i + 1;
  writeln('integer MaxInt+1 = ' + IntToStr(i));
  l := Low(Longint);
  l := l - 1;
  writeln('longint Low-1 = ' + IntToStr(l));
  i64 := 5000000000;
  i := i64;
  writeln('integer := 5000000000 -> ' + IntToStr(i));
  c := i64;
  writeln('cardinal := 5000000000 -> ' + IntToStr(c));
  i64 := High(Int64);
  i64 := i64 + 1;
  writeln('int64 High+1 = ' + IntToStr(i64));
  b := Byte(n);
  writeln('Byte(-5) = ' + IntToStr(b));
  n := 1000;
  writeln('ShortInt(1000) = ' + IntToStr(ShortInt(n)) + ', Word(-1000) = ' + IntToStr(Word(-n)));
  writeln('sizes ' + IntToStr(SizeOf(Byte)) + IntToStr(SizeOf(Word)) + IntToStr(SizeOf(Integer)) + IntToStr(SizeOf(Int64)));
  writeln('ranges ' + IntToStr(Low(ShortInt)) + '..' + IntToStr(High(ShortInt)) + ' '
    + IntToStr(Low(SmallInt)) + '..' + IntToStr(High(SmallInt)) + ' '
    + IntToStr(High(Word)) + ' ' + IntToStr(High(Cardinal)) + ' '
    + IntToStr(Low(Integer)) + '..' + IntToStr(High(Integer)));
  writeln('int64 ' + IntToStr(Low(Int64)) + '..' + IntToStr(High(Int64)));
end.
