// try/finally: the finally block runs on normal exit, on an exception and on Exit (and
// may still change Result); nested blocks unwind innermost first.
var
  Log: string;

procedure Note(const s: string);
begin
  if Log <> '' then Log := Log + ' ';
  Log := Log + s;
end;

procedure Flush(const aTitle: string);
begin
  writeln(aTitle + ': ' + Log);
  Log := '';
end;

function WithExit(n: Integer): Integer;
begin
  Result := 0;
  try
    Note('try');
    if n > 0 then
    begin
      Result := n;
      Exit;
    end;
    Note('no-exit');
  finally
    Note('finally');
    Result := Result + 1000; // also changes the value given by Exit
  end;
  Note('after');
end;

procedure Nested(aRaise: Boolean);
begin
  try
    Note('a');
    try
      Note('b');
      try
        Note('c');
        if aRaise then
          raise Exception.Create('deep');
        Note('c2');
      finally
        Note('f3');
      end;
      Note('b2');
    finally
      Note('f2');
    end;
    Note('a2');
  finally
    Note('f1');
  end;
end;

var
  i: Integer;
begin
  try
    Note('body');
  finally
    Note('finally');
  end;
  Flush('normal');
  i := WithExit(5);
  Flush('exit ' + IntToStr(i));
  i := WithExit(0);
  Flush('no exit ' + IntToStr(i));
  Nested(False);
  Flush('nested');
  try
    Nested(True);
  except
    on E: Exception do
      Note('caught ' + E.Message);
  end;
  Flush('nested raise');
end.
