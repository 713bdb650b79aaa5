// for to/downto, empty ranges, break and continue, nested loops.
var
  i, j, n, sum: Integer;
  line: string;
  c: Char;
  b: Byte;
begin
  line := '';
  for i := 1 to 10 do
    line := line + IntToStr(i) + ' ';
  writeln(line);
  line := '';
  for i := 10 downto 1 do
    line := line + IntToStr(i) + ' ';
  writeln(line);
  n := 0;
  for i := 5 to 4 do
    Inc(n);
  for i := 4 downto 5 do
    Inc(n);
  writeln('empty ranges ran ' + IntToStr(n) + ' times');
  for i := 3 to 3 do
    writeln('single iteration ' + IntToStr(i));
  sum := 0;
  for i := 1 to 100 do
  begin
    if i mod 3 = 0 then
      Continue;
    if i > 20 then
      Break;
    sum := sum + i;
  end;
  writeln('sum of non-multiples of 3 up to 20: ' + IntToStr(sum));
  for i := 1 to 4 do
  begin
    line := '';
    for j := 1 to 10 do
    begin
      if j > i * 2 then
        Break;
      if j = i then
        Continue;
      line := line + IntToStr(j);
    end;
    writeln('row ' + IntToStr(i) + ': ' + line);
  end;
  line := '';
  for c := 'a' to 'h' do
    line := line + c;
  writeln(line);
  line := '';
  for c := 'Z' downto 'U' do
    line := line + c;
  writeln(line);
  n := 0;
  for b := 250 to 255 do
    Inc(n);
  writeln('byte loop to 255 ran ' + IntToStr(n) + ' times');
  n := 3;
  line := '';
  for i := 1 to n do
  begin
    n := 10;
    line := line + IntToStr(i);
  end;
  writeln('bounds fixed at loop start: ' + line);
  sum := 0;
  for i := 1 to 300 do
    for j := 1 to 300 do
      sum := sum + 1;
  writeln('nested iterations: ' + IntToStr(sum));
end.
