// Mutual recursion through forward declarations: parity and Hofstadter's female and
// male sequences, plus a forward-declared procedure that calls back into its caller.
function IsOdd(n: Integer): Boolean; forward;

function IsEven(n: Integer): Boolean;
begin
  if n = 0 then
    Result := True
  else
    Result := IsOdd(n - 1);
end;

function IsOdd(n: Integer): Boolean;
begin
  if n = 0 then
    Result := False
  else
    Result := IsEven(n - 1);
end;

function M(n: Integer): Integer; forward;

function F(n: Integer): Integer;
begin
  if n = 0 then
    Result := 1
  else
    Result := n - M(F(n - 1));
end;

function M(n: Integer): Integer;
begin
  if n = 0 then
    Result := 0
  else
    Result := n - F(M(n - 1));
end;

procedure Countdown(n: Integer; var aLog: string); forward;

procedure Tick(n: Integer; var aLog: string);
begin
  aLog := aLog + 'tick' + IntToStr(n) + ' ';
  Countdown(n - 1, aLog);
end;

procedure Countdown(n: Integer; var aLog: string);
begin
  if n > 0 then
    Tick(n, aLog)
  else
    aLog := aLog + 'done';
end;

var
  i: Integer;
  f1, m1, log: string;
begin
  if IsEven(10) then writeln('10 even') else writeln('10 odd');
  if IsOdd(7) then writeln('7 odd') else writeln('7 even');
  if IsEven(301) then writeln('301 even') else writeln('301 odd');
  f1 := '';
  m1 := '';
  for i := 0 to 15 do
  begin
    f1 := f1 + IntToStr(F(i)) + ' ';
    m1 := m1 + IntToStr(M(i)) + ' ';
  end;
  writeln('F: ' + Trim(f1));
  writeln('M: ' + Trim(m1));
  log := '';
  Countdown(4, log);
  writeln(log);
end.
