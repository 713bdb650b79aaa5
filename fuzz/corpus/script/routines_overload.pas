// Overloaded routines: the one whose parameters fit the arguments best is called, by type,
// by count, with defaults, with var parameters, and recursively.
function Describe(a: Integer): string; overload;
begin
  Result := 'Integer ' + IntToStr(a);
end;

function Describe(const s: string): string; overload;
begin
  Result := 'string ' + s;
end;

function Describe(d: Double): string; overload;
begin
  Result := 'Double ' + FloatToStr(d);
end;

function Describe(a, b: Integer; const sep: string = '-'): string; overload;
begin
  Result := Describe(a) + sep + Describe(b);
end;

procedure Bump(var i: Integer); overload;
begin
  Inc(i);
end;

procedure Bump(var s: string); overload;
begin
  s := s + '+';
end;

function Sum(const a: array of Integer): Integer; overload;
var
  i: Integer;
begin
  Result := 0;
  for i := 0 to High(a) do
    Result := Result + a[i];
end;

function Sum(a, b: Double): Double; overload;
begin
  Result := a + b;
end;

var
  n: Integer;
  t: string;
  c: Char;
begin
  writeln(Describe(42));
  writeln(Describe('Hallo'));
  writeln(Describe(2.5));
  c := 'x';
  writeln(Describe(c));
  writeln(Describe(1, 2));
  writeln(Describe(3, 4, ' / '));
  n := 1;
  Bump(n);
  t := 'a';
  Bump(t);
  writeln(IntToStr(n) + ' ' + t);
  writeln(IntToStr(Sum([1, 2, 3])) + ' ' + FloatToStr(Sum(1.5, 2)));
end.
