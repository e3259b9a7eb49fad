// Receiving-system figures, expected S/N, detectability and the dispersion-limited bandwidth.
#include "ReceiverFigures.h"

#include "BandTable.h"

#include "SysUtils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

// The first-run defaults: a 5 m dish at 69 %, Ks 1, 1303 MHz, LNA 0.23 dB / 38 dB, line losses
// 0.1 and 0.5 dB, receiver 4 dB, T sky 4 K, T spillover 10 K, T atmosphere 0 K, 18000 s,
// 10000 kHz, "Pulsar mode".
TReceiverInputs DefaultDish() {
  TReceiverInputs in;
  in.DishAntenna = true;
  in.NoiseFloorOnIntegrationBandwidth = true;
  in.Frequency = 1303;
  in.DishDiameter = 5;
  in.DishEfficiency = 69.0 / 100.0;
  in.SensitivityKs = 1;
  in.LnaNoiseFigure = 0.23;
  in.LnaGain = 38;
  in.LossBeforeLna = 0.1;
  in.LossAfterLna = 0.5;
  in.ReceiverNoiseFigure = 4;
  in.IntegrationTime = 18000;
  in.IntegrationBandwidth = 10000;
  in.SkyTemperature = 4;
  in.SpilloverTemperature = 10;
  in.AtmosphereTemperature = 0;
  in.ReceiverBandwidthHz = 3000;
  return in;
}

}  // namespace

// The figures of the default system exactly as the main window shows them. The dish area,
// 2.5^2 * 3.14 = 19.625, is a decimal tie that must round up.
TEST(ReceiverFigures, DefaultDishShowsTheKnownFigures) {
  const TReceiverFigures r = ComputeReceiverFigures(DefaultDish());
  namespace P = FigurePattern;
  EXPECT_EQ(FormatFloat(P::Wavelength, r.Wavelength), "0.23");
  EXPECT_EQ(FormatFloat(P::DishArea, r.DishArea), "19.63");
  EXPECT_EQ(FormatFloat(P::AntennaGain, r.AntennaGain), "35.06");
  EXPECT_EQ(FormatFloat(P::ApertureDish, r.EffectiveAperture), "13.5");
  EXPECT_EQ(FormatFloat(P::Hpbw, r.Hpbw), "3.22");
  EXPECT_EQ(FormatFloat(P::FarField, r.FarFieldShown), "217");
  EXPECT_STREQ(r.FarFieldUnit, "m");
  EXPECT_EQ(FormatFloat(P::Tsys, r.Tsys), "36.98");
  EXPECT_EQ(FormatFloat(P::SystemNoiseFigure, r.SystemNoiseFigure), "0.52");
  EXPECT_EQ(FormatFloat(P::GOverT, r.GOverT), "19.38");
  EXPECT_EQ(FormatFloat(P::NoiseFloor, r.NoiseFloor), "-103.46");
  EXPECT_EQ(FormatFloat(P::Mds, r.MinimumDetectableSignal), "17.77");
  EXPECT_TRUE(r.AllFinite());
}

// The same figures to more digits, worked by hand:
// lambda = 300 / 1303 = 0.2302379; G = 10 log10(0.69 (3.14 * 5 / lambda)^2) = 35.062947;
// Ae = 0.69 * 3.14^2 * 25 / 12.56 = 13.54125; F = (1.054387 - 1) / 0.977237 + 1.023293
// + (1.122018 - 1) / (0.977237 * 6309.573) + (2.511886 - 1) / (0.977237 * 6309.573 * 0.891251)
// = 0.055654 + 1.023293 + 0.000020 + 0.000275 = 1.079242; Tsys = 14 + 0.079242 * 290 = 36.98007;
// MDS = 2 * 1.38e-23 * 36.98007
// / (sqrt(1e7 * 18000) * 13.54125) * 1e29 = 17.76568.
TEST(ReceiverFigures, DefaultDishToMoreDigits) {
  const TReceiverFigures r = ComputeReceiverFigures(DefaultDish());
  EXPECT_NEAR(r.Wavelength, 0.2302379125, 1e-10);
  EXPECT_EQ(r.DishArea, 19.625);
  EXPECT_NEAR(r.AntennaGain, 35.0629472, 1e-6);
  EXPECT_NEAR(r.EffectiveAperture, 13.54125, 1e-9);
  EXPECT_NEAR(r.Hpbw, 3.2233308, 1e-6);
  EXPECT_NEAR(r.FarField, 217.1666667, 1e-6);
  EXPECT_NEAR(r.NoiseFactor, 1.079242, 1e-6);
  EXPECT_NEAR(r.Tsys, 36.98007, 1e-4);
  EXPECT_NEAR(r.SystemNoiseFigure, 0.5212329, 1e-6);
  EXPECT_NEAR(r.GOverT, 19.3832696, 1e-6);
  EXPECT_NEAR(r.NoiseFloor, -103.4559963, 1e-6);
  EXPECT_NEAR(r.MinimumDetectableSignal, 17.76568, 1e-4);
  EXPECT_EQ(r.SensitivityKs, 1.0);
  // The linear factors the window keeps.
  EXPECT_NEAR(r.LnaNoiseFactor, 1.0543869, 1e-7);
  EXPECT_NEAR(r.LnaGainFactor, 6309.5734, 1e-4);
  EXPECT_NEAR(r.LineGainBeforeLna * r.LineLossFactorBeforeLna, 1.0, 1e-15);
  EXPECT_NEAR(r.LineGainAfterLna * r.LineLossFactorAfterLna, 1.0, 1e-15);
  EXPECT_NEAR(r.ReceiverNoiseFactor, 2.5118864, 1e-7);
}

// S1400 = 10 mJy, W50 = 5 ms, P0 = 0.5 s with the default system:
// sqrt(1e7 * 18000) * 1e-28 * (13.54125 / 2.76e-23) / (sqrt(0.005 / 0.495) * 36.98007) = 5.6006.
// It is no candidate (10 mJy is below the MDS of 17.77) though its S/N is stored.
TEST(ReceiverFigures, ExpectedSNOfOnePulsar) {
  const TReceiverInputs in = DefaultDish();
  const TReceiverFigures r = ComputeReceiverFigures(in);
  const double sn = ExpectedSN(10.0, 5.0, 0.5, in.IntegrationBandwidth, in.IntegrationTime,
                               r.EffectiveAperture, r.Tsys);
  EXPECT_NEAR(sn, 5.60062, 1e-4);
  EXPECT_EQ(FormatFloat("#0.00", sn), "5.60");
  EXPECT_EQ(FormatFloat(FigurePattern::ExpectedSN, sn), "5.6");
  EXPECT_FALSE(IsDetectable(10.0, 5.0, sn, r.MinimumDetectableSignal, 3.0));

  // S/N grows with the flux and the root of time and bandwidth.
  EXPECT_NEAR(ExpectedSN(20.0, 5.0, 0.5, 10000, 18000, r.EffectiveAperture, r.Tsys), 2 * sn, 1e-12);
  EXPECT_NEAR(ExpectedSN(10.0, 5.0, 0.5, 10000, 4 * 18000, r.EffectiveAperture, r.Tsys), 2 * sn,
              1e-12);
}

TEST(ReceiverFigures, DetectabilityNeedsFluxAboveMdsPositiveWidthAndSNAboveThreshold) {
  struct Case {
    double flux, w50, sn;
    bool detectable;
  };
  const double mds = 17.77, threshold = 10.0;
  const Case cases[] = {
      {30.0, 5.0, 12.0, true},    {17.77, 5.0, 12.0, false},  // flux equal to the MDS
      {17.7701, 5.0, 12.0, true}, {30.0, 0.0, 12.0, false},   // no pulse width
      {30.0, -1.0, 12.0, false},  {30.0, 5.0, 10.0, false},   // S/N equal to the threshold
      {30.0, 5.0, 10.0001, true}, {10.0, 5.0, 50.0, false},   // bright S/N but flux below the MDS
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsDetectable(c.flux, c.w50, c.sn, mds, threshold), c.detectable)
        << c.flux << " " << c.w50 << " " << c.sn;
  }
}

TEST(ReceiverFigures, BandsAreExclusiveAndTheRefusalAcceptsTheLimits) {
  struct Case {
    double f;
    TPulsarBand band;
    bool refused;
  };
  const Case cases[] = {
      {389.9, TPulsarBand::None, true},       {390.0, TPulsarBand::None, false},
      {390.001, TPulsarBand::Band400, false}, {430.0, TPulsarBand::Band400, false},
      {499.999, TPulsarBand::Band400, false}, {500.0, TPulsarBand::None, false},
      {500.1, TPulsarBand::None, true},       {999.9, TPulsarBand::None, true},
      {1000.0, TPulsarBand::None, false},     {1000.01, TPulsarBand::Band1400, false},
      {1303.0, TPulsarBand::Band1400, false}, {1499.99, TPulsarBand::Band1400, false},
      {1500.0, TPulsarBand::None, false},     {1500.01, TPulsarBand::None, true},
      {20000.0, TPulsarBand::None, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BandOfFrequency(c.f), c.band) << c.f;
    EXPECT_EQ(OutsidePulsarBands(c.f), c.refused) << c.f;
  }
  EXPECT_EQ(FluxColumnOfBand(TPulsarBand::Band400), 5);
  EXPECT_EQ(FluxColumnOfBand(TPulsarBand::Band1400), 6);
  EXPECT_EQ(FluxColumnOfBand(TPulsarBand::None), 0);
}

TEST(ReceiverFigures, ThresholdItems) {
  const double expected[] = {6, 8, 10, 15, 30};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(ThresholdOfItem(i, 99.0), expected[i]);
  EXPECT_EQ(ThresholdOfItem(-1, 15.0), 15.0);
  EXPECT_EQ(ThresholdOfItem(5, 15.0), 15.0);
}

// An antenna other than a dish: typed gain, Ks of 1 whatever was typed, no dish figures.
// Ae = 10^(30/10) * lambda^2 / 12.56 = 1000 * 0.0530095 / 12.56 = 4.22050 m^2.
TEST(ReceiverFigures, OtherAntenna) {
  TReceiverInputs in = DefaultDish();
  in.DishAntenna = false;
  in.AntennaGain = 30;
  in.SensitivityKs = 0.5;
  const TReceiverFigures r = ComputeReceiverFigures(in);
  EXPECT_EQ(r.AntennaGain, 30.0);
  EXPECT_EQ(r.SensitivityKs, 1.0);
  EXPECT_NEAR(r.EffectiveAperture, 4.22050, 1e-5);
  EXPECT_EQ(FormatFloat(FigurePattern::ApertureOther, r.EffectiveAperture), "4.22");
  EXPECT_EQ(r.DishArea, 0.0);
  EXPECT_EQ(r.Hpbw, 0.0);
  EXPECT_EQ(r.FarField, 0.0);
  EXPECT_NEAR(r.GOverT, 30.0 - 10.0 * std::log10(r.Tsys), 1e-12);
  const TReceiverFigures dish = ComputeReceiverFigures(DefaultDish());
  EXPECT_EQ(r.Tsys, dish.Tsys);  // the chain does not depend on the antenna
  EXPECT_NEAR(r.MinimumDetectableSignal,
              dish.MinimumDetectableSignal * dish.EffectiveAperture / r.EffectiveAperture, 1e-9);
  EXPECT_TRUE(r.AllFinite());
}

TEST(ReceiverFigures, FarFieldBeyondAKilometreIsShownInKm) {
  TReceiverInputs in = DefaultDish();
  in.DishDiameter = 20;  // 2 * 400 / 0.2302379 = 3474.67 m
  const TReceiverFigures r = ComputeReceiverFigures(in);
  EXPECT_NEAR(r.FarField, 3474.6667, 1e-3);
  EXPECT_STREQ(r.FarFieldUnit, "Km");
  EXPECT_EQ(FormatFloat(FigurePattern::FarField, r.FarFieldShown), "3");
}

// In "System evaluation mode" the noise floor takes the receiver bandwidth in Hz, the MDS
// still the integration bandwidth: with 3000 Hz instead of 1e7 Hz the floor drops by
// 10 log10(1e7 / 3000) = 35.2288 dB to -138.68 dBm.
TEST(ReceiverFigures, NoiseFloorOnTheReceiverBandwidth) {
  TReceiverInputs in = DefaultDish();
  in.NoiseFloorOnIntegrationBandwidth = false;
  const TReceiverFigures eval = ComputeReceiverFigures(in);
  const TReceiverFigures pulsar = ComputeReceiverFigures(DefaultDish());
  EXPECT_NEAR(pulsar.NoiseFloor - eval.NoiseFloor, 35.2287875, 1e-6);
  EXPECT_EQ(FormatFloat(FigurePattern::NoiseFloor, eval.NoiseFloor), "-138.68");
  EXPECT_EQ(eval.MinimumDetectableSignal, pulsar.MinimumDetectableSignal);
  // The threshold change shows the MDS with its own pattern.
  EXPECT_EQ(FormatFloat(FigurePattern::MdsOnThresholdChange, pulsar.MinimumDetectableSignal),
            "17.77");
  EXPECT_EQ(FormatFloat(FigurePattern::ApertureOnThresholdChange, pulsar.EffectiveAperture),
            "13.54");
}

// Inputs that make a formula or a pulsar's S/N undefined must be recognisable before anything
// is listed or stored as S/N. Some leave every figure finite and only the S/N infinite.
TEST(ReceiverFigures, UndefinedInputsGiveResultsThatAreNotFinite) {
  // One pulsar of the 1400 MHz table: S1400 10 mJy, W50 5 ms, P0 0.5 s.
  TMatrix table(nullptr);
  table.Resize(11, 1);
  table.SetVal(bcW50, 1, 5.0);
  table.SetVal(bcS1400, 1, 10.0);
  table.SetVal(bcP0, 1, 0.5);
  struct Case {
    const char* what;
    void (*change)(TReceiverInputs&);
    bool figuresFinite;
  };
  const Case cases[] = {
      {"nothing changed", [](TReceiverInputs&) {}, true},
      {"dish diameter 0", [](TReceiverInputs& in) { in.DishDiameter = 0; }, false},
      {"frequency 0", [](TReceiverInputs& in) { in.Frequency = 0; }, false},
      {"integration time 0", [](TReceiverInputs& in) { in.IntegrationTime = 0; }, false},
      {"integration bandwidth 0", [](TReceiverInputs& in) { in.IntegrationBandwidth = 0; }, false},
      {"Tsys below 0", [](TReceiverInputs& in) { in.SkyTemperature = -1000; }, false},
      {"efficiency 0", [](TReceiverInputs& in) { in.DishEfficiency = 0; }, false},
      {"receiver bandwidth 0",
       [](TReceiverInputs& in) {
         in.NoiseFloorOnIntegrationBandwidth = false;
         in.ReceiverBandwidthHz = 0;
       },
       false},
      // Every figure finite (the MDS is 0), the S/N infinite.
      {"integration time 1e308", [](TReceiverInputs& in) { in.IntegrationTime = 1e308; }, true},
      {"dish of 1e150 m", [](TReceiverInputs& in) { in.DishDiameter = 1e150; }, true},
      {"integration bandwidth 1e306 kHz, noise floor on the receiver bandwidth",
       [](TReceiverInputs& in) {
         in.NoiseFloorOnIntegrationBandwidth = false;
         in.IntegrationBandwidth = 1e306;
       },
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TReceiverInputs in = DefaultDish();
    c.change(in);
    const TReceiverFigures r = ComputeReceiverFigures(in);
    EXPECT_EQ(r.AllFinite(), c.figuresFinite);
    const bool defined = r.AllFinite() && ExpectedSNAllFinite(table, 1, bcS1400, in, r);
    EXPECT_EQ(defined, c.what == std::string("nothing changed"));
  }
  // An empty table has no S/N to be undefined.
  TReceiverInputs in = DefaultDish();
  in.IntegrationTime = 1e308;
  EXPECT_TRUE(ExpectedSNAllFinite(table, 0, bcS1400, in, ComputeReceiverFigures(in)));
}

// Dispersion delay (f^-2 - f_up^-2) * 4.15e6 * DM ms reaches W50 / 2 = 2.5 ms for DM 50 at
// f_up^-2 = f^-2 - 1.2048e-8: from 1303 MHz that is 1316.54 MHz (13.54 MHz, shown as 14 Mhz),
// from 430 MHz it is 430.48 MHz (480 Khz).
TEST(ReceiverFigures, DispersionLimitedBandwidth) {
  const TDispersionBandwidth a = MaxIntegrationBandwidth(1303.0, 50.0, 5.0);
  EXPECT_NEAR(a.UpperFrequency, 1316.54, 0.006);
  EXPECT_FALSE(a.Any);
  EXPECT_TRUE(a.InMhz);
  EXPECT_STREQ(a.Unit, "Mhz");
  EXPECT_EQ(FormatFloat(FigurePattern::MaxBandwidth, a.Shown), "14");

  const TDispersionBandwidth b = MaxIntegrationBandwidth(430.0, 50.0, 5.0);
  EXPECT_NEAR(b.UpperFrequency, 430.48, 0.006);
  EXPECT_FALSE(b.Any);
  EXPECT_FALSE(b.InMhz);
  EXPECT_STREQ(b.Unit, "Khz");
  EXPECT_EQ(FormatFloat(FigurePattern::MaxBandwidth, b.Shown), "480");

  // Narrow pulses and high DM at 400 MHz: a few kHz only.
  const TDispersionBandwidth c = MaxIntegrationBandwidth(430.0, 500.0, 0.5);
  EXPECT_FALSE(c.Any);
  EXPECT_EQ(FormatFloat(FigurePattern::MaxBandwidth, c.Shown), "10");
}

// Without dispersion the delay stays 0 and the edge runs past 2 f: any bandwidth will do.
TEST(ReceiverFigures, NoDispersionAllowsAnyBandwidth) {
  for (double f : {430.0, 1303.0, 1499.99}) {
    const TDispersionBandwidth r = MaxIntegrationBandwidth(f, 0.0, 5.0);
    EXPECT_TRUE(r.Any) << f;
    EXPECT_GE(r.UpperFrequency, 2 * f);
    EXPECT_LT(r.UpperFrequency, 2 * f + 0.02);
  }
}

// The stepping must end for any frequency, also one so large that adding 0.01 changes nothing,
// and say where it ended: one step past 0 or a negative frequency already passes 2 f (any
// bandwidth), a step that vanishes stops at f itself with a finite figure, and a frequency that
// is not finite never claims "Any !".
TEST(ReceiverFigures, DispersionSteppingAlwaysEnds) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  enum TAny { No, Yes, Unchecked };
  const struct {
    double f, upper;
    TAny any;
  } cases[] = {{0.0, 0.01, Yes}, {-5.0, -4.99, Yes}, {1e20, 1e20, Unchecked},
               {inf, inf, No},   {nan, nan, No}};
  for (const auto& c : cases) {
    const TDispersionBandwidth r = MaxIntegrationBandwidth(c.f, 0.0, 5.0);
    if (std::isnan(c.upper)) {
      EXPECT_TRUE(std::isnan(r.UpperFrequency)) << c.f;
    } else {
      EXPECT_DOUBLE_EQ(r.UpperFrequency, c.upper) << c.f;
    }
    if (c.any != Unchecked) {
      EXPECT_EQ(r.Any, c.any == Yes) << c.f;
    }
    if (std::isfinite(c.f)) {
      EXPECT_TRUE(std::isfinite(r.Shown)) << c.f;
    }
  }
}
