// Plain recursion: Fibonacci, factorial, small Ackermann values, Hanoi, power set counting.
var
  Moves: Integer;
  HanoiLog: string;

function Fib(n: Integer): Integer;
begin
  if n < 2 then
    Result := n
  else
    Result := Fib(n - 1) + Fib(n - 2);
end;

function Fact(n: Integer): Int64;
begin
  if n <= 1 then
    Exit(1);
  Result := n * Fact(n - 1);
end;

function Ack(m, n: Integer): Integer;
begin
  if m = 0 then
    Result := n + 1
  else if n = 0 then
    Result := Ack(m - 1, 1)
  else
    Result := Ack(m - 1, Ack(m, n - 1));
end;

procedure Hanoi(n: Integer; const aFrom, aTo, aVia: string);
begin
  if n = 0 then
    Exit;
  Hanoi(n - 1, aFrom, aVia, aTo);
  Inc(Moves);
  if n = 3 then
    HanoiLog := HanoiLog + aFrom + '>' + aTo + ' ';
  Hanoi(n - 1, aVia, aTo, aFrom);
end;

function Binary(n: Cardinal): string;
begin
  if n < 2 then
    Result := IntToStr(n)
  else
    Result := Binary(n div 2) + IntToStr(n mod 2);
end;

function SumDigits(n: Integer): Integer;
begin
  if n < 10 then
    Result := n
  else
    Result := n mod 10 + SumDigits(n div 10);
end;

var
  i: Integer;
  line: string;
begin
  line := '';
  for i := 0 to 20 do
    line := line + IntToStr(Fib(i)) + ' ';
  writeln('fib: ' + line);
  writeln('fib(22) = ' + IntToStr(Fib(22)));
  writeln('20! = ' + IntToStr(Fact(20)));
  writeln('ack(0,0)=' + IntToStr(Ack(0, 0)) + ' ack(1,2)=' + IntToStr(Ack(1, 2))
    + ' ack(2,3)=' + IntToStr(Ack(2, 3)) + ' ack(3,3)=' + IntToStr(Ack(3, 3)));
  Moves := 0;
  HanoiLog := '';
  Hanoi(6, 'A', 'C', 'B');
  writeln('hanoi 6 moves ' + IntToStr(Moves));
  writeln('level 3 moves: ' + Trim(HanoiLog));
  writeln('binary ' + Binary(0) + ' ' + Binary(5) + ' ' + Binary(255) + ' ' + Binary(4294967295));
  writeln('digit sum ' + IntToStr(SumDigits(987654321)));
end.
