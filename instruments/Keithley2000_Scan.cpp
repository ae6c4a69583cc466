#include "instruments/Keithley2000_Scan.h"

#include <algorithm>
#include <cctype>

bool TKeithley2000_Scan::Scan2000CardPresent() {
  CommunicatorInitialize();
  Send("*OPT?");
  TSerialResponse r;
  fCommunicator->Send2("++read eoi\r", true, r);
  std::string reply = r.Response;
  std::transform(reply.begin(), reply.end(), reply.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return reply.find("200X-SCAN") != std::string::npos;
}

void TKeithley2000_Scan::UseSingleChanel(uint8_t aChannel) {
  if (aChannel == pChannelInUse) return;
  CommunicatorInitialize();
  Send(":ROUT:OPEN:ALL");
  Send(":ROUT:CLOSE (@" + std::to_string(aChannel) + ")");
  pChannelInUse = aChannel;
}
