#include "DefaultSystem.h"

#include "SysUtils.h"

TReceiverInputs DefaultReceiverInputs() {
  std::array<double, cfFieldCount> values{};
  for (int f = 0; f < cfFieldCount; ++f) values[f] = StrToFloat(DefaultFieldTexts[f]);
  TReceiverInputs in = ReceiverInputsOf(values, true);
  in.ReceiverBandwidthHz = DefaultReceiverBandwidthHz;
  return in;
}
