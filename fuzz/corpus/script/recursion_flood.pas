// A recursive nested routine flood-filling a grid held in the outer function's locals
// (a static two-dimensional array and an array of strings), counting connected regions.
function CountRegions: Integer;
const
  W = 8;
  H = 5;
var
  grid: array[0..H - 1] of string;
  seen: array[0..H - 1, 0..W - 1] of Boolean;
  x, y: Integer;

  procedure Fill(aX, aY: Integer);
  begin
    if (aX < 0) or (aY < 0) or (aX >= W) or (aY >= H) then
      Exit;
    if seen[aY, aX] or (grid[aY][aX + 1] <> '#') then
      Exit;
    seen[aY, aX] := True;
    Fill(aX + 1, aY);
    Fill(aX - 1, aY);
    Fill(aX, aY + 1);
    Fill(aX, aY - 1);
  end;

begin
  grid[0] := '##..#...';
  grid[1] := '#...#.##';
  grid[2] := '..###..#';
  grid[3] := '#......#';
  grid[4] := '##.##..#';
  for y := 0 to H - 1 do
    for x := 0 to W - 1 do
      seen[y, x] := False;
  Result := 0;
  for y := 0 to H - 1 do
    for x := 0 to W - 1 do
      if (grid[y][x + 1] = '#') and not seen[y, x] then
      begin
        Inc(Result);
        Fill(x, y);
      end;
end;

function Spiral(n: Integer): string;
var
  cells: array[0..4, 0..4] of Integer;
  k: Integer;

  procedure Walk(x, y, dx, dy, step: Integer);
  begin
    if (x < 0) or (y < 0) or (x >= n) or (y >= n) or (cells[y, x] <> 0) then
      Exit;
    cells[y, x] := step;
    if (x + dx < 0) or (x + dx >= n) or (y + dy < 0) or (y + dy >= n) or (cells[y + dy, x + dx] <> 0) then
      Walk(x - dy, y + dx, -dy, dx, step + 1)
    else
      Walk(x + dx, y + dy, dx, dy, step + 1);
  end;

var
  x, y: Integer;
begin
  for y := 0 to 4 do
    for x := 0 to 4 do
      cells[y, x] := 0;
  Walk(0, 0, 1, 0, 1);
  Result := '';
  for y := 0 to n - 1 do
  begin
    for x := 0 to n - 1 do
    begin
      k := cells[y, x];
      Result := Result + Format('%3d', [k]);
    end;
    Result := Result + '|';
  end;
end;

begin
  writeln('regions ' + IntToStr(CountRegions));
  writeln(Spiral(4));
  writeln(Spiral(5));
end.
