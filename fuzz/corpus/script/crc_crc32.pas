// CRC-32 (reflected, polynomial $EDB88320) with a table built at run time on Cardinal
// values, plus simple checksums: sum modulo 256, XOR, Adler-32, and a hex dump.
var
  Table: array[0..255] of Cardinal;

procedure BuildTable;
var
  i, j: Integer;
  c: Cardinal;
begin
  for i := 0 to 255 do
  begin
    c := i;
    for j := 0 to 7 do
      if Odd(c) then
        c := $EDB88320 xor (c shr 1)
      else
        c := c shr 1;
    Table[i] := c;
  end;
end;

function Crc32(const s: string): Cardinal;
var
  i: Integer;
begin
  Result := $FFFFFFFF;
  for i := 1 to Length(s) do
    Result := Table[(Result xor Ord(s[i])) and $FF] xor (Result shr 8);
  Result := not Result;
end;

function Adler32(const s: string): Cardinal;
var
  a, b: Cardinal;
  i: Integer;
begin
  a := 1; b := 0;
  for i := 1 to Length(s) do
  begin
    a := (a + Ord(s[i])) mod 65521;
    b := (b + a) mod 65521;
  end;
  Result := (b shl 16) or a;
end;

function Checksums(const s: string): string;
var
  sum, x: Byte;
  i: Integer;
begin
  sum := 0; x := 0;
  for i := 1 to Length(s) do
  begin
    sum := sum + Ord(s[i]);
    x := x xor Ord(s[i]);
  end;
  Result := 'sum8=' + IntToHex(sum, 2) + ' xor=' + IntToHex(x, 2);
end;

var
  c: Cardinal;
  data, line: string;
  i: Integer;
begin
  BuildTable;
  writeln('table[1]=' + IntToHex(Table[1], 8) + ' table[255]=' + IntToHex(Table[255], 8));
  writeln('crc32 123456789 = ' + IntToHex(Crc32('123456789'), 8));
  writeln('crc32 empty = ' + IntToHex(Crc32(''), 8));
  c := Crc32('The quick brown fox jumps over the lazy dog');
  writeln('crc32 fox = ' + IntToHex(c, 8) + ' = ' + IntToStr(c));
  writeln('adler32 Wikipedia = ' + IntToHex(Adler32('Wikipedia'), 8));
  data := '';
  for i := 0 to 255 do
    data := data + Chr(i);
  writeln('crc32 of 0..255 = ' + IntToHex(Crc32(data), 8) + ' length ' + IntToStr(Length(data)));
  writeln(Checksums('123456789'));
  writeln(Checksums(data));
  data := 'AZaz09'#0#13#10#255;
  line := '';
  for i := 1 to Length(data) do
    line := line + IntToHex(Ord(data[i]), 2) + ' ';
  writeln(Trim(line));
end.
