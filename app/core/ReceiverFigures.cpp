#include "ReceiverFigures.h"

#include "BandTable.h"

#include <cmath>

TPulsarBand BandOfFrequency(double Frequency) {
  if (Frequency > 390.0 && Frequency < 500.0) return TPulsarBand::Band400;
  if (Frequency > 1000.0 && Frequency < 1500.0) return TPulsarBand::Band1400;
  return TPulsarBand::None;
}

bool OutsidePulsarBands(double Frequency) {
  return Frequency < 390.0 || (Frequency > 500.0 && Frequency < 1000.0) || Frequency > 1500.0;
}

int FluxColumnOfBand(TPulsarBand Band) {
  switch (Band) {
    case TPulsarBand::Band400: return bcS400;
    case TPulsarBand::Band1400: return bcS1400;
    case TPulsarBand::None: break;
  }
  return 0;
}

double ThresholdOfItem(int ItemIndex, double Current) {
  static const double thresholds[] = {6.0, 8.0, 10.0, 15.0, 30.0};
  if (ItemIndex < 0 || ItemIndex > 4) return Current;
  return thresholds[ItemIndex];
}

bool TReceiverFigures::AllFinite() const {
  const double values[] = {Wavelength,
                           DishArea,
                           Hpbw,
                           FarField,
                           FarFieldShown,
                           AntennaGain,
                           EffectiveAperture,
                           NoiseFactor,
                           Tsys,
                           SystemNoiseFigure,
                           GOverT,
                           NoiseFloor,
                           MinimumDetectableSignal};
  for (double v : values) {
    if (!std::isfinite(v)) return false;
  }
  return true;
}

namespace {
double FromDecibels(double Db) { return std::pow(10.0, Db / 10.0); }
}  // namespace

TReceiverFigures ComputeReceiverFigures(const TReceiverInputs& In) {
  TReceiverFigures R;
  const double lambda = 300.0 / In.Frequency;
  R.Wavelength = lambda;

  if (In.DishAntenna) {
    const double d = In.DishDiameter;
    R.DishArea = (d / 2.0) * (d / 2.0) * 3.14;
    const double x = 3.14 * d / lambda;
    R.AntennaGain = 10.0 * std::log10(In.DishEfficiency * (x * x));
    R.Hpbw = 70.0 * lambda / d;
    R.FarField = 2.0 * d * d / lambda;
    if (R.FarField < 1000.0) {
      R.FarFieldShown = R.FarField;
      R.FarFieldUnit = "m";
    } else {
      R.FarFieldShown = R.FarField / 1000.0;
      R.FarFieldUnit = "Km";
    }
    R.SensitivityKs = In.SensitivityKs;
  } else {
    R.AntennaGain = In.AntennaGain;
    R.SensitivityKs = 1.0;
  }
  R.EffectiveAperture = FromDecibels(R.AntennaGain) * (lambda * lambda) / 12.56;

  R.LnaNoiseFactor = FromDecibels(In.LnaNoiseFigure);
  R.LnaGainFactor = FromDecibels(In.LnaGain);
  R.LineGainBeforeLna = FromDecibels(-In.LossBeforeLna);
  R.LineLossFactorBeforeLna = FromDecibels(In.LossBeforeLna);
  R.LineGainAfterLna = FromDecibels(-In.LossAfterLna);
  R.LineLossFactorAfterLna = FromDecibels(In.LossAfterLna);
  R.ReceiverNoiseFactor = FromDecibels(In.ReceiverNoiseFigure);

  // Friis cascade: line, LNA, line, receiver.
  const double g1 = R.LineGainBeforeLna;
  const double gLna = R.LnaGainFactor;
  const double g2 = R.LineGainAfterLna;
  R.NoiseFactor = (R.LnaNoiseFactor - 1.0) / g1 + R.LineLossFactorBeforeLna +
                  (R.LineLossFactorAfterLna - 1.0) / (g1 * gLna) +
                  (R.ReceiverNoiseFactor - 1.0) / (g1 * gLna * g2);

  R.Tsys = In.SkyTemperature + In.SpilloverTemperature + In.AtmosphereTemperature +
           (R.NoiseFactor - 1.0) * 290.0;
  R.SystemNoiseFigure = 10.0 * std::log10(R.Tsys / 290.0 + 1.0);
  R.GOverT = R.AntennaGain - 10.0 * std::log10(R.Tsys);

  const double bandwidthHz = In.NoiseFloorOnIntegrationBandwidth ? In.IntegrationBandwidth * 1000.0
                                                                 : In.ReceiverBandwidthHz;
  R.NoiseFloor = 10.0 * std::log10(1.38e-23 * 290.0 / 0.001) + R.SystemNoiseFigure +
                 10.0 * std::log10(bandwidthHz);

  // The MDS always integrates over the integration bandwidth, in both modes.
  R.MinimumDetectableSignal =
      2.0 * 1.38e-23 * R.SensitivityKs * R.Tsys /
      (std::sqrt(In.IntegrationBandwidth * 1000.0 * In.IntegrationTime) * R.EffectiveAperture) *
      1e26 * 1000.0;
  return R;
}

double ExpectedSN(double FluxMJy, double W50ms, double P0s, double IntegrationBandwidthKHz,
                  double IntegrationTime, double EffectiveAperture, double Tsys) {
  const double w = W50ms / 1000.0;
  return std::sqrt(IntegrationBandwidthKHz * 1000.0 * IntegrationTime) *
         (FluxMJy / 1000.0 * 1e-26) * (EffectiveAperture / 2.76e-23) /
         (std::sqrt(w / (P0s - w)) * Tsys);
}

bool ExpectedSNAllFinite(const TMatrix& Table, int Count, int FluxColumn, const TReceiverInputs& In,
                         const TReceiverFigures& R) {
  for (int r = 1; r <= Count; ++r)
    if (!std::isfinite(ExpectedSN(Table.GetVal(FluxColumn, r), Table.GetVal(bcW50, r),
                                  Table.GetVal(bcP0, r), In.IntegrationBandwidth,
                                  In.IntegrationTime, R.EffectiveAperture, R.Tsys)))
      return false;
  return true;
}

bool IsDetectable(double FluxMJy, double W50ms, double ExpectedSNValue,
                  double MinimumDetectableSignal, double MinimumSN) {
  return FluxMJy > MinimumDetectableSignal && W50ms > 0.0 && ExpectedSNValue > MinimumSN;
}

TDispersionBandwidth MaxIntegrationBandwidth(double Frequency, double DM, double W50ms) {
  TDispersionBandwidth R;
  const double f = Frequency;
  // The edge is accumulated step by step (not f + k * 0.01): where the sum lands against 2 f
  // decides between a figure and "Any !".
  double up = f;
  double delay = 0.0;
  const double lowTerm = std::pow(f, -2.0);
  do {
    const double before = up;
    up += 0.01;
    if (up == before) break;  // a frequency so large that the step vanishes: never ends
    delay = (lowTerm - std::pow(up, -2.0)) * 4150000.0 * DM;  // ms
  } while (W50ms / 2.0 > delay && 2.0 * f > up);
  R.UpperFrequency = up;
  if (up > 1000.0) {
    R.InMhz = true;
    R.Unit = "Mhz";
    R.Shown = up - f;
  } else {
    R.InMhz = false;
    R.Unit = "Khz";
    R.Shown = (up - f) * 1000.0;
  }
  R.Any = 2.0 * f < up;
  return R;
}
