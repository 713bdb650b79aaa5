// Nested routines that read and write the locals and parameters of the routines around
// them: a recursive nested walker building permutations, and two levels of nesting.
function Permutations(const s: string): string;
var
  used: array[1..8] of Boolean;
  current: string;
  count: Integer;

  procedure Walk(depth: Integer);
  var
    i: Integer;
  begin
    if depth > Length(s) then
    begin
      Inc(count);
      Result := Result + current + ' ';
      Exit;
    end;
    for i := 1 to Length(s) do
      if not used[i] then
      begin
        used[i] := True;
        current := current + s[i];
        Walk(depth + 1);
        SetLength(current, Length(current) - 1);
        used[i] := False;
      end;
  end;

var
  i: Integer;
begin
  for i := 1 to 8 do
    used[i] := False;
  current := '';
  count := 0;
  Result := '';
  Walk(1);
  Result := IntToStr(count) + ': ' + Trim(Result);
end;

function Outer(n: Integer): string;
var
  calls: Integer;

  function Inner(k: Integer): Integer;

    function Deepest: Integer;
    begin
      Inc(calls);
      Result := n * 100 + k;
    end;

  var
    d: Integer;
  begin
    d := Deepest;
    Result := d + calls;
  end;

var
  first, second: Integer;
begin
  calls := 0;
  first := Inner(1);
  second := Inner(2);
  Result := IntToStr(first) + ' ' + IntToStr(second) + ' calls=' + IntToStr(calls);
end;

begin
  writeln(Permutations('abc'));
  writeln(Permutations('1234'));
  writeln(Outer(7));
end.
