// CRC-16 in script form: the Modbus variant (reflected, polynomial $A001) with a table,
// and the CCITT variant (polynomial $1021, start $FFFF) bit by bit, both on Word values.
var
  Table: array[0..255] of Word;

procedure BuildTable;
var
  i, j: Integer;
  crc: Word;
begin
  for i := 0 to 255 do
  begin
    crc := i;
    for j := 1 to 8 do
      if (crc and 1) <> 0 then
        crc := (crc shr 1) xor $A001
      else
        crc := crc shr 1;
    Table[i] := crc;
  end;
end;

function Crc16Modbus(const s: string): Word;
var
  i: Integer;
begin
  Result := $FFFF;
  for i := 1 to Length(s) do
    Result := (Result shr 8) xor Table[(Result xor Ord(s[i])) and $FF];
end;

function Crc16Ccitt(const s: string): Word;
var
  i, j: Integer;
begin
  Result := $FFFF;
  for i := 1 to Length(s) do
  begin
    Result := Result xor (Ord(s[i]) shl 8);
    for j := 1 to 8 do
      if (Result and $8000) <> 0 then
        Result := (Result shl 1) xor $1021
      else
        Result := Result shl 1;
  end;
end;

var
  crc: Word;
  frame: string;
begin
  BuildTable;
  writeln('table[1]=' + IntToHex(Table[1], 4) + ' table[128]=' + IntToHex(Table[128], 4)
    + ' table[255]=' + IntToHex(Table[255], 4));
  writeln('modbus 123456789 = ' + IntToHex(Crc16Modbus('123456789'), 4));
  writeln('ccitt 123456789 = ' + IntToHex(Crc16Ccitt('123456789'), 4));
  writeln('modbus empty = ' + IntToHex(Crc16Modbus(''), 4));
  writeln('ccitt A = ' + IntToHex(Crc16Ccitt('A'), 4));
  frame := #$01#$03#$00#$00#$00#$0A;
  crc := Crc16Modbus(frame);
  writeln('modbus frame crc ' + IntToHex(crc, 4) + ' sent as ' + IntToHex(Lo(crc), 2) + ' ' + IntToHex(Hi(crc), 2));
  frame := frame + Chr(Lo(crc)) + Chr(Hi(crc));
  writeln('check over frame and crc = ' + IntToHex(Crc16Modbus(frame), 4) + ', length ' + IntToStr(Length(frame)));
  writeln('decimal ' + IntToStr(Crc16Ccitt('Varnex')));
end.
