program Wide;
var s: string;
begin
  s := Format('%.999d|%8.3x|%-20s|', [42, 255, 'x']);
  s := Format('%.2000d', [-7]);
end.
