// case with single values, lists, ranges, negative labels, else, and nested statements.
type
  TColor = (clRed, clGreen, clBlue, clYellow);

function Describe(n: Integer): string;
begin
  case n of
    0: Result := 'zero';
    1, 2, 3: Result := 'small';
    4..9: Result := 'medium';
    10, 20, 30..39: Result := 'listed';
    -5..-1: Result := 'negative';
  else
    Result := 'other';
  end;
end;

function ColorName(c: TColor): string;
begin
  case c of
    clRed: Result := 'red';
    clGreen: Result := 'green';
    clBlue: Result := 'blue';
  else
    Result := 'unknown';
  end;
end;

var
  i: Integer;
  c: TColor;
  line: string;
begin
  for i := -7 to 41 do
    if (i < 12) or (i mod 5 = 0) or (i = 33) then
      writeln(IntToStr(i) + ' ' + Describe(i));
  for c := clRed to clYellow do
    writeln(ColorName(c));
  line := '';
  for i := 1 to 15 do
  begin
    case i mod 15 of
      0: line := line + 'FizzBuzz';
      3, 6, 9, 12: line := line + 'Fizz';
      5, 10: line := line + 'Buzz';
    else
      line := line + IntToStr(i);
    end;
    if i < 15 then
      line := line + ',';
  end;
  writeln(line);
  i := 7;
  case i of
    1..5:
      writeln('low');
    6..10:
      begin
        writeln('mid, begin/end block');
        case i mod 2 of
          0: writeln('even');
          1: writeln('odd');
        end;
      end;
  end;
  i := 100;
  case i of
    1: writeln('one');
  end;
  writeln('no label matched and no else: fine');
  case i > 50 of
    True: writeln('case on boolean: true');
    False: writeln('case on boolean: false');
  end;
end.
