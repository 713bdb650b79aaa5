// raise; re-raises the exception being handled; exceptions cross several calls and
// keep their message; a handler may wrap a message in a new exception.
var
  Log: string;

procedure Level3(n: Integer);
begin
  Log := Log + '3';
  if n < 0 then
    raise Exception.Create('negative: ' + IntToStr(n));
  Log := Log + '3ok';
end;

procedure Level2(n: Integer);
begin
  Log := Log + '2';
  try
    Level3(n);
  finally
    Log := Log + 'F2';
  end;
  Log := Log + '2ok';
end;

procedure Level1(n: Integer);
begin
  Log := Log + '1';
  try
    Level2(n);
  except
    on E: Exception do
    begin
      Log := Log + 'E1';
      raise;
    end;
  end;
  Log := Log + '1ok';
end;

function Wrap(n: Integer): string;
begin
  try
    Level1(n);
    Result := 'fine';
  except
    on E: Exception do
      raise Exception.Create('wrapped <' + E.Message + '>');
  end;
end;

var
  s: string;
begin
  Log := '';
  Level1(5);
  writeln('ok path ' + Log);
  Log := '';
  try
    Level1(-7);
  except
    on E: Exception do
      writeln('caught ' + E.Message + ' path ' + Log);
  end;
  Log := '';
  writeln('wrap 1: ' + Wrap(1));
  try
    s := Wrap(-2);
    writeln('not reached ' + s);
  except
    on E: Exception do
      writeln('wrap -2: ' + E.Message);
  end;
  try
    try
      raise Exception.Create('first');
    except
      raise;
    end;
  except
    on E: Exception do
      writeln('re-raised without variable: ' + E.Message);
  end;
end.
