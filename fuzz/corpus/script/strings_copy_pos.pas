// Copy, Pos, Delete and Insert including their edge cases.
function Show(const s: string): string;
begin
  Result := '[' + s + ']';
end;

var
  s, t: string;
begin
  s := 'Hello, World';
  writeln(Show(Copy(s, 1, 5)));
  writeln(Show(Copy(s, 8, 100)));
  writeln(Show(Copy(s, 0, 3)));
  writeln(Show(Copy(s, -5, 3)));
  writeln(Show(Copy(s, 12, 1)));
  writeln(Show(Copy(s, 13, 1)));
  writeln(Show(Copy(s, 100, 5)));
  writeln(Show(Copy(s, 3, 0)));
  writeln(Show(Copy(s, 3, -2)));
  writeln(Show(Copy('', 1, 1)));
  writeln('pos o ' + IntToStr(Pos('o', s)));
  writeln('pos World ' + IntToStr(Pos('World', s)));
  writeln('pos world ' + IntToStr(Pos('world', s)));
  writeln('pos empty ' + IntToStr(Pos('', s)));
  writeln('pos in empty ' + IntToStr(Pos('a', '')));
  writeln('pos longer ' + IntToStr(Pos('Hello, World!', s)));
  writeln('pos last char ' + IntToStr(Pos('d', s)));
  t := s;
  Delete(t, 6, 2);
  writeln(Show(t));
  t := s;
  Delete(t, 1, 7);
  writeln(Show(t));
  t := s;
  Delete(t, 10, 100);
  writeln(Show(t));
  t := s;
  Delete(t, 0, 3);
  writeln(Show(t));
  t := s;
  Delete(t, 50, 3);
  writeln(Show(t));
  t := s;
  Delete(t, 3, 0);
  writeln(Show(t));
  t := 'abc';
  Insert('XY', t, 1);
  writeln(Show(t));
  t := 'abc';
  Insert('XY', t, 3);
  writeln(Show(t));
  t := 'abc';
  Insert('XY', t, 4);
  writeln(Show(t));
  t := 'abc';
  Insert('XY', t, 99);
  writeln(Show(t));
  t := 'abc';
  Insert('', t, 2);
  writeln(Show(t));
  t := '';
  Insert('new', t, 1);
  writeln(Show(t));
  writeln('original unchanged ' + Show(s));
end.
