// Sorting an array of records by two keys and searching a sorted array.
type
  TItem = record
    Key: string;
    Value: Integer;
  end;

var
  Items: array[0..7] of TItem;
  Sorted: array of Integer;

procedure Add(i: Integer; const aKey: string; aValue: Integer);
begin
  Items[i].Key := aKey;
  Items[i].Value := aValue;
end;

function Less(const a, b: TItem): Boolean;
begin
  if a.Value <> b.Value then
    Result := a.Value < b.Value
  else
    Result := a.Key < b.Key;
end;

procedure InsertionSort;
var
  i, j: Integer;
  tmp: TItem;
begin
  for i := 1 to High(Items) do
  begin
    tmp := Items[i];
    j := i - 1;
    while (j >= 0) and Less(tmp, Items[j]) do
    begin
      Items[j + 1] := Items[j];
      Dec(j);
    end;
    Items[j + 1] := tmp;
  end;
end;

function BinarySearch(aValue: Integer): Integer;
var
  lo, hi, mid: Integer;
begin
  lo := 0; hi := High(Sorted);
  while lo <= hi do
  begin
    mid := (lo + hi) div 2;
    if Sorted[mid] = aValue then
      Exit(mid)
    else if Sorted[mid] < aValue then
      lo := mid + 1
    else
      hi := mid - 1;
  end;
  Result := -(lo + 1);
end;

var
  i: Integer;
begin
  Add(0, 'pear', 3);
  Add(1, 'fig', 1);
  Add(2, 'apple', 3);
  Add(3, 'kiwi', 2);
  Add(4, 'date', 1);
  Add(5, 'lime', 5);
  Add(6, 'plum', 2);
  Add(7, 'cherry', 3);
  InsertionSort;
  for i := Low(Items) to High(Items) do
    writeln(IntToStr(Items[i].Value) + ' ' + Items[i].Key);
  SetLength(Sorted, 10);
  for i := 0 to 9 do
    Sorted[i] := i * i - 10;
  for i := -12 to -8 do
    writeln('search ' + IntToStr(i) + ' -> ' + IntToStr(BinarySearch(i)));
  writeln('search 71 -> ' + IntToStr(BinarySearch(71)));
  writeln('search 72 -> ' + IntToStr(BinarySearch(72)));
end.
