// Format with integer and string directives: %d %u %x %X %s %%, widths, left
// alignment and precision (minimum digits); IntToHex with and without padding.
var
  i: Integer;
  c: Cardinal;
  i64: Int64;
begin
  writeln(Format('%d', [0]));
  writeln(Format('%d|%d|%d', [42, -42, 2147483647]));
  writeln(Format('[%5d][%-5d][%1d]', [42, 42, 12345]));
  writeln(Format('[%5d][%-6d]', [-42, -42]));
  writeln(Format('[%.4d][%.4d][%8.3d]', [7, -7, 5]));
  writeln(Format('%u', [123]));
  c := 4000000000;
  writeln(Format('cardinal %u', [c]));
  i := -1;
  writeln(Format('-1 as %%u: %u', [i]));
  writeln(Format('%x %X %x', [255, 255, 48879]));
  writeln(Format('[%4x][%-4x][%.4x][%8.6X]', [255, 255, 255, 43981]));
  writeln(Format('[%08x]', [48879]));
  writeln(Format('%x', [i]));
  i64 := 1099511627775;
  writeln(Format('int64 %d %x', [i64, i64]));
  writeln(Format('[%s][%10s][%-10s][%.3s]', ['abc', 'right', 'left', 'truncate']));
  writeln(Format('%s=%d;%s=%d', ['a', 1, 'b', 2]));
  writeln(Format('100%% done, %d%%', [50]));
  writeln(Format('no directives', []));
  writeln(Format('%s', ['']) + '<empty');
  writeln(Format('%d items at %s', [3, 'home']));
  writeln(IntToHex(255, 2) + ' ' + IntToHex(255, 4) + ' ' + IntToHex(255, 1) + ' ' + IntToHex(0, 3));
  writeln(IntToHex(48879, 8) + ' ' + IntToHex(65535, 2));
  i := -2;
  writeln('negative ' + IntToHex(i, 2) + ' ' + IntToHex(i, 8));
  i64 := -2;
  writeln('negative int64 ' + IntToHex(i64, 2));
  i64 := $123456789A;
  writeln('int64 ' + IntToHex(i64, 4) + ' ' + IntToHex(i64, 12));
  for i := 0 to 4 do
    writeln(Format('%2d: %-6s|%4x|%5.2d', [i, StringOfChar('*', i), i * 100, i]));
end.
