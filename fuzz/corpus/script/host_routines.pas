begin
  Send('AT'#13);
  SetRTS(true); SetDTR(false);
  if GetCTS then writeln('cts') else writeln('no cts');
  if GetRing or GetDSR or GetDTR or GetRTS then writeln('ring');
  ShowMessage('Hallo');
  Text := IntToHex(CRC16(0, Text), 4) + IntToHex(CRC32($FFFFFFFF, Text), 8);
end.
