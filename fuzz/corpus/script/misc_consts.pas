// Untyped constants (integer, string, char, boolean, constant expressions) and typed
// constants (scalars, arrays, arrays of records, two-dimensional arrays).
const
  MaxItems = 10;
  Half = MaxItems div 2;
  Mask = $FF shl 4;
  Greeting = 'Hello';
  Full = Greeting + ', ' + 'World';
  NewLine = #13#10;
  Star = '*';
  Debug = False;
  Big = 5000000000;
  Neg = -MaxItems * 3;

type
  TPair = record
    Name: string;
    Value: Integer;
  end;

const
  Limit: Integer = 42;
  Title: string = 'typed';
  Primes: array[0..5] of Integer = (2, 3, 5, 7, 11, 13);
  Names: array[1..3] of string = ('one', 'two', 'three');
  Pairs: array[0..2] of TPair = (
    (Name: 'alpha'; Value: 1),
    (Name: 'beta'; Value: 22),
    (Name: 'gamma'; Value: 333));
  Grid: array[0..1, 0..2] of Byte = ((1, 2, 3), (4, 5, 6));
  HexChars = '0123456789ABCDEF';

var
  i, sum: Integer;
  line: string;
  b: Byte;
begin
  writeln(IntToStr(MaxItems) + ' ' + IntToStr(Half) + ' ' + IntToStr(Mask) + ' ' + IntToStr(Neg));
  writeln(Full + ' (' + IntToStr(Length(Full)) + ')');
  writeln('two lines:' + NewLine + 'second' + Star);
  if not Debug then
    writeln('debug off');
  writeln('big ' + IntToStr(Big) + ' ' + IntToStr(Big div MaxItems));
  writeln(Title + ' ' + IntToStr(Limit + 1));
  sum := 0;
  for i := Low(Primes) to High(Primes) do
    sum := sum + Primes[i];
  writeln('prime sum ' + IntToStr(sum) + ' count ' + IntToStr(Length(Primes)));
  line := '';
  for i := 1 to 3 do
    line := line + Names[i] + '/';
  writeln(line);
  for i := 0 to 2 do
    writeln(Format('%-6s %4d', [Pairs[i].Name, Pairs[i].Value]));
  writeln('grid ' + IntToStr(Grid[0, 2]) + ' ' + IntToStr(Grid[1, 0]) + ' ' + IntToStr(Grid[1][2]));
  b := 173;
  writeln('hex by hand ' + HexChars[b shr 4 + 1] + HexChars[b and 15 + 1]);
  writeln('SizeOf ' + IntToStr(SizeOf(Primes)) + ' ' + IntToStr(SizeOf(Grid)));
end.
