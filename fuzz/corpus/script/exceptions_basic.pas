// try/except with raise Exception.Create, reading E.Message, handlers with and without
// "on E: Exception do", and code after a handled exception running on.
function CheckedDiv(a, b: Integer): Integer;
begin
  if b = 0 then
    raise Exception.Create('cannot divide ' + IntToStr(a) + ' by zero');
  Result := a div b;
end;

function ParseAge(const s: string): Integer;
begin
  Result := StrToIntDef(s, -1);
  if Result < 0 then
    raise Exception.Create('bad age "' + s + '"');
  if Result > 150 then
    raise Exception.Create(Format('age %d is too large', [Result]));
end;

procedure TryAge(const s: string);
begin
  try
    writeln('age ' + IntToStr(ParseAge(s)));
  except
    on E: Exception do
      writeln('error: ' + E.Message);
  end;
end;

var
  i, n: Integer;
  msg: string;
begin
  writeln('10/2 = ' + IntToStr(CheckedDiv(10, 2)));
  try
    n := CheckedDiv(7, 0);
    writeln('not reached ' + IntToStr(n));
  except
    on E: Exception do
      writeln('caught: ' + E.Message);
  end;
  TryAge('42');
  TryAge('abc');
  TryAge('200');
  TryAge('');
  try
    raise Exception.Create('plain handler');
  except
    writeln('handler without variable');
  end;
  n := 0;
  for i := 1 to 5 do
  begin
    try
      if i mod 2 = 0 then
        raise Exception.Create('even ' + IntToStr(i));
      n := n + i;
    except
      on E: Exception do
        msg := E.Message;
    end;
  end;
  writeln('sum of odd ' + IntToStr(n) + ', last message ' + msg);
  try
    try
      raise Exception.Create('inner');
    except
      on E: Exception do
      begin
        writeln('inner handler: ' + E.Message);
        raise Exception.Create('from handler');
      end;
    end;
  except
    on E: Exception do
      writeln('outer handler: ' + E.Message);
  end;
  writeln('program continues');
end.
