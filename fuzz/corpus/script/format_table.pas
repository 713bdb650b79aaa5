// A formatted report: columns with widths and alignment, totals and percentages.
type
  TRow = record
    Name: string;
    Count: Integer;
    Price: Integer; // cents
  end;

var
  rows: array[0..4] of TRow;
  i, total, sum: Integer;

procedure SetRow(i: Integer; const aName: string; aCount, aPrice: Integer);
begin
  rows[i].Name := aName;
  rows[i].Count := aCount;
  rows[i].Price := aPrice;
end;

function Money(aCents: Integer): string;
begin
  Result := Format('%d.%.2d', [aCents div 100, aCents mod 100]);
end;

begin
  SetRow(0, 'Cable', 3, 499);
  SetRow(1, 'Adapter USB', 1, 1295);
  SetRow(2, 'Plug', 12, 35);
  SetRow(3, 'Terminal', 1, 45000);
  SetRow(4, 'Screw', 100, 2);
  writeln(Format('%-12s %5s %10s %10s', ['Item', 'Qty', 'Price', 'Sum']));
  writeln(StringOfChar('-', 40));
  total := 0;
  for i := 0 to High(rows) do
  begin
    sum := rows[i].Count * rows[i].Price;
    total := total + sum;
    writeln(Format('%-12s %5d %10s %10s', [rows[i].Name, rows[i].Count, Money(rows[i].Price), Money(sum)]));
  end;
  writeln(StringOfChar('-', 40));
  writeln(Format('%-12s %5s %10s %10s', ['Total', '', '', Money(total)]));
  for i := 0 to High(rows) do
    writeln(Format('%-12s %6.2f%%', [rows[i].Name, rows[i].Count * rows[i].Price * 100 / total]));
  writeln(Format('%s has %d chars, hex %4.4x', ['Terminal', Length('Terminal'), 45000]));
end.
