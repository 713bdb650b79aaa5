// Value, var and const parameters of simple types, strings and records;
// a var parameter aliasing a global; function results used as arguments.
type
  TCounter = record
    Hits: Integer;
    Name: string;
  end;

var
  G: Integer;

procedure Swap(var a, b: Integer);
var
  t: Integer;
begin
  t := a; a := b; b := t;
end;

procedure SwapStr(var a, b: string);
var
  t: string;
begin
  t := a; a := b; b := t;
end;

procedure ByValue(n: Integer; s: string);
begin
  n := n * 10;
  s := s + '!';
end;

procedure ByRef(var n: Integer; var s: string);
begin
  n := n * 10;
  s := s + '!';
end;

procedure Bump(var c: TCounter; const aBy: Integer);
begin
  c.Hits := c.Hits + aBy;
  c.Name := c.Name + '+';
end;

procedure AddToGlobal(var n: Integer);
begin
  n := n + 1;
  G := G + 100;
  n := n + 1;
end;

function Twice(n: Integer): Integer;
begin
  Result := 2 * n;
end;

var
  x, y: Integer;
  s, t: string;
  c: TCounter;
begin
  x := 1; y := 2;
  Swap(x, y);
  writeln('swapped ' + IntToStr(x) + ' ' + IntToStr(y));
  s := 'left'; t := 'right';
  SwapStr(s, t);
  writeln('swapped ' + s + ' ' + t);
  ByValue(x, s);
  writeln('by value ' + IntToStr(x) + ' ' + s);
  ByRef(x, s);
  writeln('by ref ' + IntToStr(x) + ' ' + s);
  c.Hits := 0; c.Name := 'c';
  Bump(c, 5); Bump(c, 7);
  writeln('counter ' + IntToStr(c.Hits) + ' ' + c.Name);
  G := 1; AddToGlobal(G);
  writeln('aliased global ' + IntToStr(G));
  writeln('nested calls ' + IntToStr(Twice(Twice(Twice(x)))));
end.
