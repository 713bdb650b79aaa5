// try/finally inside loops (Break and Continue run the finally block, so does Exit(value)
// from a loop) and the order of finally and except when the two are combined.
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

function FindFirstEven(n: Integer): Integer;
var
  i: Integer;
begin
  Result := -1;
  for i := n to n + 10 do
    try
      if i mod 4 = 0 then
        Exit(i);
    finally
      Note('checked' + IntToStr(i));
    end;
end;

var
  i: Integer;
begin
  for i := 1 to 5 do
  begin
    try
      if i = 2 then
        Continue;
      if i = 4 then
        Break;
      Note('i' + IntToStr(i));
    finally
      Note('f' + IntToStr(i));
    end;
  end;
  Flush('loop');
  try
    try
      Note('t');
      raise Exception.Create('x');
    finally
      Note('f');
    end;
  except
    Note('e');
  end;
  Flush('finally then except');
  try
    try
      Note('t');
      raise Exception.Create('x');
    except
      Note('e');
    end;
  finally
    Note('f');
  end;
  Flush('except then finally');
  i := FindFirstEven(5);
  Flush('exit from loop ' + IntToStr(i));
  while True do
    try
      Note('w');
      Break;
    finally
      Note('wf');
    end;
  Flush('while break');
end.
