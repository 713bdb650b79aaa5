// case on characters: ranges, lists and else, used for a small tokenizer.
function Kind(c: Char): string;
begin
  case c of
    'a'..'z', 'A'..'Z', '_': Result := 'letter';
    '0'..'9': Result := 'digit';
    ' ', #9: Result := 'space';
    '+', '-', '*', '/': Result := 'operator';
    '(', ')': Result := 'paren';
    #0..#8, #10..#31: Result := 'control';
  else
    Result := 'other';
  end;
end;

var
  src, tok: string;
  i: Integer;
  c: Char;
begin
  src := 'x1 + 42*(y_2 - 7)/z;'#10;
  for i := 1 to Length(src) do
    writeln(IntToStr(i) + ' ' + IntToHex(Ord(src[i]), 2) + ' ' + Kind(src[i]));
  i := 1;
  while i <= Length(src) do
  begin
    c := src[i];
    case c of
      'a'..'z', 'A'..'Z', '_':
        begin
          tok := '';
          while (i <= Length(src)) and (Kind(src[i]) <> 'space') and (Kind(src[i]) <> 'operator')
            and (Kind(src[i]) <> 'paren') and (Kind(src[i]) <> 'other') and (Kind(src[i]) <> 'control') do
          begin
            tok := tok + src[i];
            Inc(i);
          end;
          writeln('IDENT ' + tok);
        end;
      '0'..'9':
        begin
          tok := '';
          while (i <= Length(src)) and (src[i] >= '0') and (src[i] <= '9') do
          begin
            tok := tok + src[i];
            Inc(i);
          end;
          writeln('NUMBER ' + tok + ' = ' + IntToStr(StrToInt(tok) * 2) + '/2');
        end;
      ' ', #9, #10:
        Inc(i);
    else
      begin
        writeln('SYMBOL ' + c);
        Inc(i);
      end;
    end;
  end;
end.
