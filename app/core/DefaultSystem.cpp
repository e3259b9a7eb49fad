#include "DefaultSystem.h"

#include "SysUtils.h"

TReceiverInputs DefaultReceiverInputs() {
  auto value = [](TConfigField F) { return StrToFloat(DefaultFieldTexts[F]); };
  TReceiverInputs in;
  in.DishAntenna = true;
  in.DishDiameter = value(cfFirstInput);
  in.DishEfficiency = value(cfEfficiency) / 100;
  in.SensitivityKs = value(cfKs);
  in.Frequency = value(cfFrequency);
  in.LnaNoiseFigure = value(cfLnaNoiseFigure);
  in.LnaGain = value(cfLnaGain);
  in.LossBeforeLna = value(cfLossBeforeLna);
  in.LossAfterLna = value(cfLossAfterLna);
  in.ReceiverNoiseFigure = value(cfReceiverNoiseFigure);
  in.IntegrationTime = value(cfIntegrationTime);
  in.IntegrationBandwidth = value(cfIntegrationBandwidth);
  in.SkyTemperature = value(cfSkyTemperature);
  in.SpilloverTemperature = value(cfSpilloverTemperature);
  in.AtmosphereTemperature = value(cfAtmosphereTemperature);
  in.ReceiverBandwidthHz = DefaultReceiverBandwidthHz;
  return in;
}
