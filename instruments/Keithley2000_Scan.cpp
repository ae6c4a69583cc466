#include "instruments/Keithley2000_Scan.h"

#include "platform/AsciiCase.h"

bool TKeithley2000_Scan::Scan2000CardPresent() {
  CommunicatorInitialize();
  Send("*OPT?");
  TSerialResponse r;
  ReadReply(r);  // no poll first: the read waits up to ReadTimeout itself
  return AsciiContainsText(r.Response, "200X-SCAN");
}

void TKeithley2000_Scan::UseSingleChanel(uint8_t aChannel) {
  if (aChannel == pChannelInUse) return;
  CommunicatorInitialize();
  Send(":ROUT:OPEN:ALL");
  Send(":ROUT:CLOSE (@" + std::to_string(aChannel) + ")");
  pChannelInUse = aChannel;
}
