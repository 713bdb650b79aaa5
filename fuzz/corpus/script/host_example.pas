var
  crc: Word;
begin
  crc := CRC16(0, Text);
  ShowMessage('CRC16: ' + IntToHex(crc, 4) +
    '  High-Byte: ' + IntToHex(Hi(crc), 2) +
    '  Low-Byte: ' + IntToHex(Lo(crc), 2));
  Text := Text + Chr(Hi(crc)) + Chr(Lo(crc));
end.
