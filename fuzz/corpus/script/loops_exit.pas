// Exit and Exit(value) from procedures and functions, also from inside loops.
var
  Log: string;

function FindIndex(const s: string; c: Char): Integer;
var
  i: Integer;
begin
  for i := 1 to Length(s) do
    if s[i] = c then
      Exit(i);
  Result := -1;
end;

function Classify(n: Integer): string;
begin
  Result := 'positive';
  if n = 0 then
    Exit('zero');
  if n < 0 then
  begin
    Result := 'negative';
    Exit;
  end;
  Result := Result + '!';
end;

procedure Trace(n: Integer);
begin
  Log := Log + 'a';
  if n > 1 then
    Exit;
  Log := Log + 'b';
end;

function FirstPrimeAbove(n: Integer): Integer;
var
  k, d: Integer;
  prime: Boolean;
begin
  k := n + 1;
  while True do
  begin
    prime := k > 1;
    d := 2;
    while d * d <= k do
    begin
      if k mod d = 0 then
      begin
        prime := False;
        Break;
      end;
      Inc(d);
    end;
    if prime then
      Exit(k);
    Inc(k);
  end;
end;

begin
  writeln('index of l: ' + IntToStr(FindIndex('hello', 'l')));
  writeln('index of z: ' + IntToStr(FindIndex('hello', 'z')));
  writeln(Classify(5) + ' ' + Classify(0) + ' ' + Classify(-3));
  Log := '';
  Trace(1);
  Trace(2);
  Trace(0);
  writeln('trace ' + Log);
  writeln('primes ' + IntToStr(FirstPrimeAbove(1)) + ' ' + IntToStr(FirstPrimeAbove(100))
    + ' ' + IntToStr(FirstPrimeAbove(7919)));
  writeln('before exit in main');
  if Log <> '' then
    Exit;
  writeln('never printed');
end.
