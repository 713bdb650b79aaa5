// string[N] keeps at most N characters: assignments, record fields, array elements and
// initialised variables are cut, as Free Pascal cuts them.
type
  TRec = record
    Tag: string[4];
    N: Integer;
  end;
var
  s: string[3];
  r: TRec;
  a: array[1..2] of string[2];
  t: string;
  u: string[5] = 'abcdefgh';

procedure Show(const x: string);
begin
  writeln('[' + x + '] ' + IntToStr(Length(x)));
end;

begin
  s := 'abcdef';
  Show(s);
  s := 'xy';
  Show(s);
  s := s + 'zzz';
  Show(s);
  r.Tag := 'Temperatur';
  Show(r.Tag);
  a[1] := 'hello';
  a[2] := 'h';
  Show(a[1] + a[2]);
  t := s;
  Show(t);
  Show(u);
  s := 'ab';
  Insert('XYZ', s, 2);
  Show(s);
  writeln(IntToStr(SizeOf(s)) + ' ' + IntToStr(SizeOf(r.Tag)));
end.
