// StrUtils, Math and SysUtils routines scripts use to take replies apart and format values:
// IfThen in both forms, HexStr/BinStr, WordCount/ExtractWord, AnsiReplaceStr,
// SplitString, FormatFloat, FloatToStrF, StrToCurr/CurrToStr, MaxDouble and ^M literals.
var
  parts: TStringDynArray;
  i: Integer;
  big: Int64;
  line: string;
begin
  writeln(IfThen(True, 'ja') + '|' + IfThen(False, 'ja') + '|' + IfThen(False, 'ja', 'nein'));
  writeln(IntToStr(IfThen(True, 3, 4)) + ' ' + IntToStr(IfThen(False, 3)) + ' ' + FloatToStr(IfThen(False, 1.5, 2.25)));
  writeln(HexStr(255, 4) + ' ' + HexStr(4660, 2) + ' ' + BinStr(5, 8) + ' ' + BinStr(1023, 4));
  big := -1;
  writeln(HexStr(big, 16) + ' ' + HexStr(big, 3));
  line := '  Temp=21.5;  Hum=40 ;Druck=1013  ';
  writeln(IntToStr(WordCount(line, [' ', ';'])));
  for i := 1 to WordCount(line, [' ', ';']) + 1 do
    writeln('[' + ExtractWord(i, line, [' ', ';']) + ']');
  writeln(AnsiReplaceStr('a.b.c', '.', '::') + ' ' + AnsiReplaceStr('aXbx', 'x', '_'));
  parts := SplitString('OK,12,,3.5,', ',');
  writeln(IntToStr(Length(parts)));
  for i := 0 to High(parts) do
    writeln(IntToStr(i) + ': [' + parts[i] + ']');
  parts := SplitString('', ',');
  writeln(IntToStr(Length(parts)));
  writeln(FormatFloat('0.00', 3.14159) + ' ' + FormatFloat('#,##0.0', 1234567.891) + ' ' + FormatFloat('0.###', 2.5));
  writeln(FormatFloat('000', 7) + ' ' + FormatFloat('0.00;(0.00)', -1.5) + ' ' + FormatFloat('0.00E+00', 12345.678));
  writeln('[' + FormatFloat('#', 0) + '] ' + FormatFloat('0.0', -0.04) + ' ' + FormatFloat('$#,##0.00', -1234.5));
  writeln(FormatFloat('0.0#', 1) + ' ' + FormatFloat('0.00', 2.675) + ' ' + FormatFloat('0', 2.5) + ' ' + FormatFloat('0', 3.5));
  writeln(FormatFloat('"Wert: "0.0" V"', 12.34) + ' ' + FormatFloat('0.00;-0.00;"null"', 0));
  writeln(FloatToStrF(12345.678, ffExponent, 5, 2) + ' ' + FloatToStrF(0.000123, ffExponent, 3, 0) + ' ' + FloatToStrF(-2.5, ffExponent, 4, 3));
  writeln(FloatToStrF(12345.678, ffFixed, 15, 2) + ' ' + FloatToStrF(-0.5, ffFixed, 15, 0) + ' ' + FloatToStrF(2.5, ffFixed, 15, 0));
  writeln(FloatToStrF(1234567.891, ffNumber, 15, 2) + ' ' + FloatToStrF(12345.678, ffGeneral, 4, 0) + ' ' + FloatToStrF(0.1, ffGeneral, 15, 0));
  writeln(CurrToStr(12.5) + ' ' + CurrToStr(StrToCurr('3.14159')) + ' ' + CurrToStr(StrToCurr('-0.00005')));
  writeln(FloatToStr(MaxDouble));
  line := 'AT'^M^J;
  writeln(IntToStr(Length(line)) + ' ' + IntToStr(Ord(line[3])) + ' ' + IntToStr(Ord(^[)) + ' ' + IntToStr(Ord(^@)));
  line := #13^J'x';
  writeln(IntToStr(Length(line)) + ' ' + IntToStr(Ord(line[2])));
end.
