// Static arrays: non-zero lower bounds, High/Low, two dimensions, char and enum indexes,
// and value semantics (assignment and value parameters copy the whole array).
type
  TDay = (Mon, Tue, Wed, Thu, Fri, Sat, Sun);
  TVector = array[1..5] of Integer;
  TMatrix = array[0..2, 0..2] of Integer;

function Sum(v: TVector): Integer;
var
  i: Integer;
begin
  Result := 0;
  for i := Low(v) to High(v) do
    Result := Result + v[i];
  v[1] := 999; // a copy: the caller's array stays as it is
end;

procedure Double(var v: TVector);
var
  i: Integer;
begin
  for i := Low(v) to High(v) do
    v[i] := v[i] * 2;
end;

function Show(const v: TVector): string;
var
  i: Integer;
begin
  Result := '';
  for i := Low(v) to High(v) do
    Result := Result + IntToStr(v[i]) + ' ';
  Result := Trim(Result);
end;

var
  a, b: TVector;
  m, t: TMatrix;
  hours: array[TDay] of Integer;
  counts: array['a'..'e'] of Integer;
  neg: array[-3..3] of string;
  d: TDay;
  i, j: Integer;
  c: Char;
  line, text: string;
begin
  for i := 1 to 5 do
    a[i] := i * i;
  writeln('a = ' + Show(a) + ' low ' + IntToStr(Low(a)) + ' high ' + IntToStr(High(a))
    + ' length ' + IntToStr(Length(a)));
  writeln('sum ' + IntToStr(Sum(a)) + ', a[1] still ' + IntToStr(a[1]));
  b := a; b[2] := -1;
  writeln('after copy: a = ' + Show(a) + ' / b = ' + Show(b));
  Double(a);
  writeln('doubled ' + Show(a));
  for i := 0 to 2 do
    for j := 0 to 2 do
      m[i, j] := i * 3 + j;
  for i := 0 to 2 do
    for j := 0 to 2 do
      t[j][i] := m[i][j];
  for i := 0 to 2 do
    writeln('row ' + IntToStr(t[i, 0]) + ' ' + IntToStr(t[i, 1]) + ' ' + IntToStr(t[i, 2]));
  for d := Low(TDay) to High(TDay) do
    hours[d] := 8;
  hours[Sat] := 0; hours[Sun] := 0; hours[Fri] := 6;
  j := 0;
  for d := Mon to Sun do
    j := j + hours[d];
  writeln('week hours ' + IntToStr(j) + ', friday index ' + IntToStr(Ord(Fri)));
  for c := 'a' to 'e' do
    counts[c] := 0;
  text := 'abracadabra deed';
  for i := 1 to Length(text) do
    if (text[i] >= 'a') and (text[i] <= 'e') then
      Inc(counts[text[i]]);
  line := '';
  for c := Low(counts) to High(counts) do
    line := line + c + '=' + IntToStr(counts[c]) + ' ';
  writeln(Trim(line));
  for i := Low(neg) to High(neg) do
    neg[i] := StringOfChar('#', Abs(i));
  line := '';
  for i := -3 to 3 do
    line := line + '[' + neg[i] + ']';
  writeln(line + ' ' + IntToStr(Low(neg)) + '..' + IntToStr(High(neg)));
end.
