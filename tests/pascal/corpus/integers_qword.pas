// QWord (UInt64): unsigned 64-bit arithmetic, how it mixes with signed operands, comparisons,
// division, conversions to and from text and to real, Min/Max and the 64-bit hash it is used for.
function Fnv1a(const s: string): QWord;
var
  i: Integer;
begin
  Result := 14695981039346656037;
  for i := 1 to Length(s) do
  begin
    Result := Result xor Ord(s[i]);
    Result := Result * 1099511628211;
  end;
end;

var
  a, b, q: QWord;
  u: UInt64;
  i: Int64;
  n: Integer;
  c: Cardinal;
  w: Word;
  r: Double;
  code: Integer;
  s: string;
begin
  a := High(QWord);
  writeln('high ' + IntToStr(a) + ' ' + UIntToStr(a) + ' ' + IntToHex(a, 4));
  writeln(Format('format %d %u %x', [a, a, a]));
  b := 3;
  writeln('div ' + IntToStr(a div b) + ' mod ' + IntToStr(a mod 10) + ' by 7 ' + IntToStr(a div 7));
  i := -5;
  writeln('with int64 ' + IntToStr(a + i) + ' ' + IntToStr(i + a));
  writeln('compare ' + BoolToStr(a > b, True) + ' ' + BoolToStr(a > 5, True) + ' '
    + BoolToStr(a > i, True));
  n := -1;
  writeln('equal to -1 ' + BoolToStr(a = n, True));
  r := a;
  writeln('real ' + FloatToStr(r) + ' ' + FloatToStr(a / 2));
  writeln('shifts ' + IntToStr(a shr 60) + ' ' + IntToStr(a shl 1) + ' ' + IntToStr(a * 2));
  b := 18446744073709551615;
  writeln('literal ' + IntToStr(b));
  c := 4000000000;
  a := c * 4;
  writeln('cardinal times 4 ' + IntToStr(a));
  writeln('minus int64 constant ' + IntToStr(a - 17000000000));
  i := a;
  a := i - 20000000000;
  writeln('int64 back ' + IntToStr(i) + ' ' + IntToStr(a));
  writeln('negated ' + IntToStr(-a));
  a := 10;
  n := 11;
  w := 11;
  c := 11;
  writeln('below zero ' + IntToStr(a - 11) + ' ' + IntToStr(a - n) + ' ' + IntToStr(a - w) + ' '
    + IntToStr(a - c) + ' ' + BoolToStr(a - 11 > 0, True));
  writeln('from small ' + IntToStr(n - a) + ' ' + IntToStr(c - a));
  a := High(UInt64);
  writeln('div by word ' + IntToStr(a div w) + ' by cardinal ' + IntToStr(a div c) + ' mod word '
    + IntToStr(a mod w));
  writeln('div by integer ' + IntToStr(a div n) + ' mod integer ' + IntToStr(a mod n));
  writeln('compare small ' + BoolToStr(a > n, True) + ' ' + BoolToStr(a > c, True));
  writeln('casts ' + IntToStr(QWord(-1)) + ' ' + IntToStr(UInt64(5)) + ' ' + IntToStr(Int64(a)));
  writeln('half ' + IntToStr(High(UInt64) div 2) + ' not ' + IntToStr(not a) + ' ' + IntToStr(not QWord(0)));
  a := 0;
  Dec(a);
  writeln('dec below zero ' + IntToStr(a));
  Inc(a);
  writeln('inc above high ' + IntToStr(a));
  a := 7;
  writeln('xor ' + IntToStr(a xor High(QWord)) + ' and ' + IntToStr(a and 3));
  writeln('parse ' + IntToStr(StrToQWord('18446744073709551615')) + ' '
    + IntToStr(StrToQWordDef('-1', 7)) + ' ' + IntToStr(StrToQWordDef('18446744073709551616', 7)) + ' '
    + IntToStr(StrToQWordDef('$FFFFFFFFFFFFFFFF', 7)) + ' ' + IntToStr(StrToUInt64('12')));
  writeln('int64 parse ' + IntToStr(StrToInt64Def('$FFFFFFFFFFFFFFFF', 7)) + ' '
    + IntToStr(StrToInt64Def('$10000000000000000', 7)) + ' '
    + IntToStr(StrToInt64Def('9223372036854775808', 7)));
  Val('18446744073709551615', q, code);
  writeln('val ' + IntToStr(q) + ' ' + IntToStr(code));
  Val('12x', q, code);
  writeln('val bad ' + IntToStr(q) + ' ' + IntToStr(code));
  Val('-5', q, code);
  writeln('val negative ' + IntToStr(q) + ' ' + IntToStr(code));
  q := High(QWord);
  Str(q:25, s);
  writeln('str [' + s + ']');
  writeln('max ' + IntToStr(Max(q, QWord(5))) + ' min ' + IntToStr(Min(q, QWord(5))));
  u := 1;
  for n := 1 to 63 do
    u := u * 2;
  writeln('2^63 ' + IntToStr(u) + ' ' + BoolToStr(u > 9223372036854775807, True));
  writeln('fnv ' + IntToHex(Fnv1a('Varnex'), 16) + ' ' + IntToStr(Fnv1a('')));
  writeln('sizes ' + IntToStr(SizeOf(QWord)) + ' ' + IntToStr(SizeOf(UInt64)) + ' ' + IntToStr(Low(QWord)));
  try
    a := StrToQWord('-1');
  except
    on e: EConvertError do
      writeln(e.ClassName);
  end;
  try
    a := 5;
    b := 0;
    a := a div b;
  except
    on e: EDivByZero do
      writeln(e.ClassName);
  end;
end.
