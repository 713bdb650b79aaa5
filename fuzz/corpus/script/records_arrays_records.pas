// Records: fields of many types, nested records, records in arrays, copies on
// assignment, var and const record parameters, and functions returning records.
type
  TPoint = record
    X, Y: Integer;
  end;

  TRect = record
    TopLeft, BottomRight: TPoint;
    Name: string;
  end;

  TPerson = record
    Name: string;
    Age: Byte;
    Tags: array[1..3] of string;
    Scores: array of Integer;
  end;

function Point(aX, aY: Integer): TPoint;
begin
  Result.X := aX; Result.Y := aY;
end;

function PointText(const p: TPoint): string;
begin
  Result := '(' + IntToStr(p.X) + ',' + IntToStr(p.Y) + ')';
end;

procedure MoveBy(var p: TPoint; dx, dy: Integer);
begin
  p.X := p.X + dx; p.Y := p.Y + dy;
end;

function Area(const r: TRect): Integer;
begin
  Result := (r.BottomRight.X - r.TopLeft.X) * (r.BottomRight.Y - r.TopLeft.Y);
end;

procedure Grow(r: TRect);
begin
  r.BottomRight.X := r.BottomRight.X + 100; // only the copy changes
end;

var
  p, q: TPoint;
  r: TRect;
  people: array[0..2] of TPerson;
  pts: array of TPoint;
  i, total: Integer;
begin
  p := Point(3, 4);
  q := p; q.X := 30;
  writeln('p ' + PointText(p) + ' q ' + PointText(q));
  MoveBy(p, -1, 10);
  writeln('moved ' + PointText(p));
  r.TopLeft := Point(1, 1);
  r.BottomRight := Point(11, 6);
  r.Name := 'box';
  Grow(r);
  writeln(r.Name + ' area ' + IntToStr(Area(r)) + ' corner ' + PointText(r.BottomRight));
  people[0].Name := 'Ada'; people[0].Age := 36;
  people[1].Name := 'Niklaus'; people[1].Age := 250;
  people[1].Age := people[1].Age + 10;
  people[2] := people[0];
  people[2].Name := 'Copy of ' + people[2].Name;
  for i := 0 to 2 do
  begin
    people[i].Tags[1] := 'tag' + IntToStr(i);
    SetLength(people[i].Scores, i + 1);
    people[i].Scores[i] := (i + 1) * 10;
  end;
  for i := 0 to 2 do
  begin
    total := 0;
    if Length(people[i].Scores) > 0 then
      total := people[i].Scores[High(people[i].Scores)];
    writeln(people[i].Name + ' age ' + IntToStr(people[i].Age) + ' ' + people[i].Tags[1]
      + '[' + people[i].Tags[2] + '] scores ' + IntToStr(Length(people[i].Scores)) + ' last ' + IntToStr(total));
  end;
  SetLength(pts, 4);
  for i := 0 to High(pts) do
    pts[i] := Point(i, i * i);
  MoveBy(pts[2], 100, 100);
  for i := 0 to High(pts) do
    writeln('pts[' + IntToStr(i) + '] = ' + PointText(pts[i]));
end.
