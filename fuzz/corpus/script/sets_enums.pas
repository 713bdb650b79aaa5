// Enumerations with Ord, Succ, Pred, Low and High; sets of enumerations and of small
// integers; arrays indexed by an enumeration holding the names.
type
  TDay = (Mon, Tue, Wed, Thu, Fri, Sat, Sun);
  TDays = set of TDay;
  TFlag = (fRead, fWrite, fExec);
  TFlags = set of TFlag;

const
  DayNames: array[TDay] of string = ('Mon', 'Tue', 'Wed', 'Thu', 'Fri', 'Sat', 'Sun');
  Weekend: TDays = [Sat, Sun];

function DaysText(const s: TDays): string;
var
  d: TDay;
begin
  Result := '';
  for d := Low(TDay) to High(TDay) do
    if d in s then
      Result := Result + DayNames[d] + ' ';
  Result := '[' + Trim(Result) + ']';
end;

function FlagsText(const f: TFlags): string;
begin
  Result := '---';
  if fRead in f then Result[1] := 'r';
  if fWrite in f then Result[2] := 'w';
  if fExec in f then Result[3] := 'x';
end;

var
  d: TDay;
  work: TDays;
  f: TFlags;
  small: set of 0..31;
  i: Integer;
  line: string;
begin
  writeln('Ord(Wed)=' + IntToStr(Ord(Wed)) + ' Succ(Wed)=' + DayNames[Succ(Wed)] + ' Pred(Wed)=' + DayNames[Pred(Wed)]);
  writeln('Low=' + DayNames[Low(TDay)] + ' High=' + DayNames[High(TDay)] + ' count=' + IntToStr(Ord(High(TDay)) + 1));
  d := Mon;
  line := '';
  while d < Sun do
  begin
    line := line + DayNames[d];
    d := Succ(d);
  end;
  writeln(line);
  work := [Mon..Fri];
  writeln('work ' + DaysText(work) + ' weekend ' + DaysText(Weekend));
  writeln('all ' + DaysText(work + Weekend) + ' none ' + DaysText(work * Weekend));
  work := work - [Wed];
  Include(work, Sat);
  writeln('changed ' + DaysText(work));
  for d := Mon to Sun do
    if d in Weekend then
      writeln(DayNames[d] + ' rest')
    else if d in work then
      writeln(DayNames[d] + ' work')
    else
      writeln(DayNames[d] + ' off');
  d := TDay(4);
  writeln('TDay(4)=' + DayNames[d] + ', Sat>Fri ' + IntToStr(Ord(Sat > Fri)));
  f := [];
  writeln(FlagsText(f));
  f := [fRead, fExec];
  writeln(FlagsText(f) + ' ' + FlagsText(f + [fWrite] - [fRead]));
  small := [];
  for i := 0 to 31 do
    if (i mod 3 = 0) or (i mod 5 = 0) then
      Include(small, i);
  line := '';
  for i := 0 to 31 do
    if i in small then
      line := line + IntToStr(i) + ' ';
  writeln(Trim(line));
  i := 2;
  if i in [1, 2, 3] then
    writeln('2 in [1,2,3]');
  if not (7 in [1..5, 8]) then
    writeln('7 not in [1..5, 8]');
end.
