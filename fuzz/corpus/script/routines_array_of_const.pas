// A routine with an "array of const" parameter hands it on to Format and to other routines.
procedure Log(const Fmt: string; const Args: array of const);
begin
  writeln('LOG ' + Format(Fmt, Args));
end;
procedure Twice(const Fmt: string; Args: array of const);
begin
  Log(Fmt, Args);
  Log(Fmt + '!', Args);
end;
begin
  Log('%d-%s-%.2f-%s', [42, 'x', 2.5, 'y']);
  Twice('%s/%d', ['a', 7]);
  Log('leer', []);
end.
