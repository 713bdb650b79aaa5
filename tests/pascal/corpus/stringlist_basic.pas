// TStringList as scripts use it: adding, Values and Names, CommaText and DelimitedText in both
// modes, Text, sorting, sorted lists with duplicates, Assign, AddStrings and the list errors.
var
  sl, other: TStringList;
  i: Integer;
  s: string;
begin
  sl := TStringList.Create;
  try
    sl.Add('Temp=21.5');
    sl.Add('Hum=40');
    sl.Append('Druck=1013');
    writeln(IntToStr(sl.Count) + ' ' + sl[0] + ' ' + sl.Strings[2]);
    writeln(sl.Values['hum'] + '|' + sl.Values['x'] + '|' + sl.Names[1] + '|' + sl.ValueFromIndex[2]);
    writeln(IntToStr(sl.IndexOf('HUM=40')) + ' ' + IntToStr(sl.IndexOfName('Druck')) + ' ' + IntToStr(sl.IndexOf('nix')));
    sl.Values['Hum'] := '41';
    sl.Values['Neu'] := 'ja';
    sl.Values['Temp'] := '';
    writeln(sl.CommaText);
    sl.Insert(0, 'erste Zeile');
    sl.Delete(1);
    sl.Exchange(0, 1);
    sl[2] := 'x, "y"';
    writeln(sl.CommaText);
    sl.CommaText := 'a,"b c",,"d""e" f  ,g';
    writeln(IntToStr(sl.Count));
    for i := 0 to sl.Count - 1 do writeln('[' + sl[i] + ']');
    sl.Delimiter := ';';
    sl.StrictDelimiter := True;
    sl.DelimitedText := 'OK; 12;;3.5;';
    writeln(IntToStr(sl.Count));
    for i := 0 to sl.Count - 1 do writeln('[' + sl[i] + ']');
    writeln(sl.DelimitedText);
    sl.Text := 'zeta'#13#10'alpha'#10'Beta'#13'gamma'#13#10;
    writeln(IntToStr(sl.Count));
    sl.Sort;
    writeln(sl.CommaText);
    other := TStringList.Create;
    other.Sorted := True;
    other.Duplicates := dupIgnore;
    other.Add('m'); other.Add('c'); other.Add('x'); other.Add('c');
    writeln(other.CommaText + ' ' + IntToStr(other.IndexOf('x')));
    other.AddStrings(sl);
    writeln(other.CommaText);
    sl.Assign(other);
    writeln(IntToStr(sl.Count) + ' ' + BoolToStr(sl.Sorted, True));
    for s in sl do
      if Length(s) > 4 then
        writeln('lang: ' + s);
    sl.Clear;
    writeln(IntToStr(sl.Count) + '[' + sl.CommaText + ']');
    try
      writeln(sl[5]);
    except
      on E: EStringListError do writeln('EStringListError');
    end;
    other.Duplicates := dupError;
    try
      other.Add('m');
    except
      on E: EStringListError do writeln('dup');
    end;
    other.Free;
  finally
    sl.Free;
  end;
end.
