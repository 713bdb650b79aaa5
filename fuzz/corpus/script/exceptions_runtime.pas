// Run-time errors become exceptions that a script can handle: integer division by zero
// and failed string to integer conversion (decimal or hexadecimal with $, 0x or x, an
// optional sign and leading blanks are accepted). Only the fact of the error is printed.
function SafeDiv(a, b: Integer): string;
begin
  try
    Result := IntToStr(a div b);
  except
    Result := 'div error';
  end;
end;

function SafeMod(a, b: Integer): string;
begin
  try
    Result := IntToStr(a mod b);
  except
    on E: Exception do
      Result := 'mod error';
  end;
end;

function SafeParse(const s: string): string;
begin
  try
    Result := IntToStr(StrToInt(s));
  except
    on E: Exception do
      Result := 'parse error for "' + s + '"';
  end;
end;

var
  zero, n: Integer;
begin
  zero := 0;
  writeln(SafeDiv(10, 3));
  writeln(SafeDiv(10, zero));
  writeln(SafeMod(10, 3));
  writeln(SafeMod(10, zero));
  writeln(SafeParse('0'));
  writeln(SafeParse('42'));
  writeln(SafeParse('-45'));
  writeln(SafeParse('+7'));
  writeln(SafeParse('007'));
  writeln(SafeParse('  12'));
  writeln(SafeParse('12 '));
  writeln(SafeParse(''));
  writeln(SafeParse('1e3'));
  writeln(SafeParse('12.5'));
  writeln(SafeParse('abc'));
  writeln(SafeParse('$1F'));
  writeln(SafeParse('$ff'));
  writeln(SafeParse('-$10'));
  writeln(SafeParse('0x1F'));
  writeln(SafeParse('x1F'));
  writeln(SafeParse('2147483647'));
  writeln(SafeParse('-2147483648'));
  n := 5;
  try
    n := n div zero;
  except
  end;
  writeln('n unchanged: ' + IntToStr(n));
  writeln('defaults: ' + IntToStr(StrToIntDef('abc', 7)) + ' ' + IntToStr(StrToIntDef('-8', 7)));
  writeln('int64 ' + IntToStr(StrToInt64('1234567890123')) + ' ' + IntToStr(StrToInt64Def('x', 5)));
  writeln('hex round trip ' + IntToStr(StrToInt('$' + IntToHex(48879, 4))));
end.
