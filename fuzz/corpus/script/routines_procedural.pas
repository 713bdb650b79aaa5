// Procedural types: a dispatch table of procedures, a function passed as a parameter, nil and Assigned.
type
  TCommand = procedure(const Arg: string);
  TCheck = function(a, b: Integer): Integer;

procedure Reset(const Arg: string);
begin
  writeln('Reset ' + Arg);
end;

procedure Status(const Arg: string);
begin
  writeln('Status ' + Arg);
end;

function Add(a, b: Integer): Integer;
begin
  Result := a + b;
end;

function Mul(a, b: Integer): Integer;
begin
  Result := a * b;
end;

function Apply(f: TCheck; x, y: Integer): Integer;
begin
  Result := f(x, y);
end;

const
  Fixed: array[0..1] of TCommand = (Status, Reset);

var
  Table: array[0..1] of TCommand;
  cmd: TCommand;
  op: TCheck;
  i: Integer;
begin
  Table[0] := Reset;
  Table[1] := Status;
  for i := 0 to 1 do
    Table[i]('#' + IntToStr(i));
  cmd := nil;
  if not Assigned(cmd) then writeln('leer');
  cmd := Status;
  if Assigned(cmd) then cmd('jetzt');
  op := Add;
  for i := 1 downto 0 do
    Fixed[i]('fest');
  writeln(IntToStr(op(2, 3)) + ' ' + IntToStr(Apply(Mul, 4, 5)) + ' ' + IntToStr(Apply(op, 1, 1)));
end.
