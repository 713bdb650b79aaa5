// A complete program with a header, global variables and constants, procedures,
// identifiers written in varying case, and the three comment styles.
program HeaderDemo;

const
  Count = 3; { brace comment }

var
  Total: Integer;
  History: string;

(* a procedure that
   changes globals *)
procedure Record_(aValue: integer);
begin
  TOTAL := total + AVALUE;
  history := HISTORY + IntToStr(aValue) + ';';
end;

function Describe: STRING;
begin
  result := 'total=' + inttostr(Total) + ' history=' + History;
end;

var
  i: Integer;
begin
  Total := 0;
  History := '';
  FOR i := 1 TO Count DO
    record_(I * I);
  WriteLn(Describe);
  WRITELN('upper-case call');
  writeln('mixed' + ' ' + 'Case'); // line comment after a statement
  BEGIN
    writeln('compound statement in main block');
  END;
  ;;
  writeln('empty statements are fine');
end.
