// A recursive-descent evaluator (expr -> term -> factor -> expr) on global state,
// with a forward declaration closing the cycle.
var
  Src: string;
  P: Integer;

function Expr: Integer; forward;

function Peek: Char;
begin
  while (P <= Length(Src)) and (Src[P] = ' ') do
    Inc(P);
  if P <= Length(Src) then Result := Src[P] else Result := #0;
end;

function Factor: Integer;
begin
  case Peek of
    '(':
      begin
        Inc(P);
        Result := Expr;
        if Peek = ')' then Inc(P);
      end;
    '-': begin Inc(P); Result := -Factor; end;
  else
    Result := 0;
    while (P <= Length(Src)) and (Src[P] >= '0') and (Src[P] <= '9') do
    begin
      Result := Result * 10 + Ord(Src[P]) - Ord('0');
      Inc(P);
    end;
  end;
end;

function Term: Integer;
var
  op: Char;
begin
  Result := Factor;
  while (Peek = '*') or (Peek = '/') or (Peek = '%') do
  begin
    op := Peek;
    Inc(P);
    case op of
      '*': Result := Result * Factor;
      '/': Result := Result div Factor;
      '%': Result := Result mod Factor;
    end;
  end;
end;

function Expr: Integer;
begin
  Result := Term;
  while (Peek = '+') or (Peek = '-') do
    if Peek = '+' then
    begin
      Inc(P);
      Result := Result + Term;
    end
    else begin
      Inc(P);
      Result := Result - Term;
    end;
end;

function Eval(const s: string): string;
begin
  Src := s;
  P := 1;
  Result := s + ' = ' + IntToStr(Expr);
end;

begin
  writeln(Eval('1 + 2 * 3'));
  writeln(Eval('(1 + 2) * 3'));
  writeln(Eval('100 / 7 % 4'));
  writeln(Eval('-(4 - 10) * -2'));
  writeln(Eval('2 * (3 + (4 - 1) * (2 + 2)) - 5'));
  writeln(Eval('-7 / 2 + 10 - 2 - 3'));
  writeln(Eval('((((42))))'));
end.
