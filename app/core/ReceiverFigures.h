#pragma once
// The receiving-system figures, the expected S/N of a pulsar and the dispersion-limited
// integration bandwidth, as plain calculations: the main window reads its fields into
// TReceiverInputs, calls these, and formats the results with the patterns below.
//
// The constants are the program's own and stay as they are (pi as 3.14 in the dish area and
// gain, 4 pi as 12.56 in the aperture, k = 1.38e-23, 2k = 2.76e-23): the figures users
// compare with earlier results depend on them.

#include "DOV_matrix.h"

// The two observing bands; both bounds are exclusive.
enum class TPulsarBand { None, Band400, Band1400 };

// 390 < f < 500 is the 400 MHz band, 1000 < f < 1500 the 1400 MHz band (f in MHz).
TPulsarBand BandOfFrequency(double Frequency);

// In "Pulsar mode" the analysis refuses f < 390, 500 < f < 1000 and f > 1500. The band
// limits themselves are accepted (and then select no band).
bool OutsidePulsarBands(double Frequency);

// Column of the band table (TBandColumn) that holds the band's flux: bcS400 or bcS1400;
// 0 for no band.
int FluxColumnOfBand(TPulsarBand Band);

// The S/N threshold chosen by item 0..4 of the threshold box ("> 6" ... "> 30"); any other
// index keeps the current threshold.
double ThresholdOfItem(int ItemIndex, double Current);

struct TReceiverInputs {
  bool DishAntenna = true;  // "Dish antenna" (else "Other antenna")
  // Noise floor on the integration bandwidth (true) or on the receiver bandwidth in Hz
  // (false, "System evaluation mode"). The threshold change always passes true.
  bool NoiseFloorOnIntegrationBandwidth = true;
  double Frequency = 0;              // MHz
  double DishDiameter = 0;           // m (dish)
  double AntennaGain = 0;            // dBi, typed (other antenna)
  double DishEfficiency = 0;         // fraction (typed percentage / 100)
  double SensitivityKs = 1;          // Ks (dish; an other antenna always uses 1)
  double LnaNoiseFigure = 0;         // dB
  double LnaGain = 0;                // dB
  double LossBeforeLna = 0;          // dB
  double LossAfterLna = 0;           // dB
  double ReceiverNoiseFigure = 0;    // dB
  double IntegrationTime = 0;        // s
  double IntegrationBandwidth = 0;   // kHz
  double SkyTemperature = 0;         // K
  double SpilloverTemperature = 0;   // K
  double AtmosphereTemperature = 0;  // K
  double ReceiverBandwidthHz = 3000;
};

struct TReceiverFigures {
  double Wavelength = 0;  // m
  // Dish only (0 for an other antenna):
  double DishArea = 0;            // m^2
  double Hpbw = 0;                // degrees
  double FarField = 0;            // m
  double FarFieldShown = 0;       // FarField below 1000 m, else FarField / 1000
  const char* FarFieldUnit = "";  // "m" or "Km" (dish only)
  double AntennaGain = 0;         // dBi: computed for a dish, the typed gain otherwise
  double EffectiveAperture = 0;   // m^2
  // Linear factors of the chain.
  double LnaNoiseFactor = 0;
  double LnaGainFactor = 0;
  double LineGainBeforeLna = 0;        // 10^(-L1/10)
  double LineLossFactorBeforeLna = 0;  // 10^(L1/10)
  double LineGainAfterLna = 0;
  double LineLossFactorAfterLna = 0;
  double ReceiverNoiseFactor = 0;
  double NoiseFactor = 0;              // cascaded, linear
  double Tsys = 0;                     // K
  double SystemNoiseFigure = 0;        // dB
  double GOverT = 0;                   // dB/K
  double NoiseFloor = 0;               // dBm
  double SensitivityKs = 0;            // the Ks used (1 for an other antenna)
  double MinimumDetectableSignal = 0;  // mJy

  // False when an input made a figure infinite or NaN (a diameter, bandwidth or integration
  // time of 0, a system temperature of 0 or below, ...). Such figures must not be used for
  // the detectable list or stored as expected S/N.
  bool AllFinite() const;
};

TReceiverFigures ComputeReceiverFigures(const TReceiverInputs& In);

// Shown instead of results when an input leaves a figure undefined (AllFinite is false).
inline constexpr const char* UndefinedFiguresMessage =
    "ERROR: The receiving system values give no valid result. Please check the dish diameter, "
    "frequency, integration time, bandwidths and temperatures";

// Expected S/N of one pulsar: flux in mJy (the band's), W50 in ms, P0 in s, with the
// integration bandwidth (kHz) and time (s), the effective aperture (m^2) and Tsys (K).
double ExpectedSN(double FluxMJy, double W50ms, double P0s, double IntegrationBandwidthKHz,
                  double IntegrationTime, double EffectiveAperture, double Tsys);

// True when every pulsar of a band table (rows 1 .. Count of Table, the band's flux in
// FluxColumn) gets a finite expected S/N with these inputs and figures. A figure can be
// finite while the S/N is not: an integration time of 1e308 or a dish of 1e150 m.
bool ExpectedSNAllFinite(const TMatrix& Table, int Count, int FluxColumn, const TReceiverInputs& In,
                         const TReceiverFigures& R);

// A row enters the detectable list when its flux exceeds the MDS, its W50 is positive and
// its expected S/N exceeds the threshold (all strict). The horizon test comes on top.
bool IsDetectable(double FluxMJy, double W50ms, double ExpectedSNValue,
                  double MinimumDetectableSignal, double MinimumSN);

// Widest band above f that a pulse of width W50 stands without de-dispersion: the upper
// edge grows from f in steps of 0.01 MHz until the dispersion delay across the band reaches
// W50 / 2 or the edge passes 2 f.
struct TDispersionBandwidth {
  double UpperFrequency = 0;  // MHz, where the stepping stopped
  bool Any = false;           // the edge passed 2 f: any bandwidth will do ("Any !")
  bool InMhz = false;         // shown in MHz (upper edge above 1000 MHz), else in kHz
  double Shown = 0;           // UpperFrequency - f in MHz, or in kHz
  const char* Unit = "";      // "Mhz" or "Khz"
};
TDispersionBandwidth MaxIntegrationBandwidth(double Frequency, double DM, double W50ms);

// Text of the maximum-bandwidth field when any bandwidth will do.
inline constexpr const char* AnyBandwidthText = "Any !";

// Light years in one kiloparsec, as the distance field converts.
inline constexpr double LightYearsPerKpc = 3261.56378;

// Display patterns of the figures (FormatFloat patterns).
namespace FigurePattern {
inline constexpr const char* Wavelength = "#0.00";
inline constexpr const char* DishArea = "#0.00";
inline constexpr const char* AntennaGain = "00.00";
inline constexpr const char* ApertureDish = "#0.0";
inline constexpr const char* ApertureOther = "#0.00";
inline constexpr const char* ApertureOnThresholdChange = "#0.00";
inline constexpr const char* Hpbw = "#0.00";
inline constexpr const char* FarField = "##0";
inline constexpr const char* Tsys = "00.00";
inline constexpr const char* SystemNoiseFigure = "##0.00";
inline constexpr const char* GOverT = "##0.00";
inline constexpr const char* NoiseFloor = "##0.00";
inline constexpr const char* Mds = "##0.00";
inline constexpr const char* MdsOnThresholdChange = "###.00";
// The selected pulsar's fields.
inline constexpr const char* RaDec = "#0.00";
inline constexpr const char* W50 = "#0.0";
inline constexpr const char* P0 = "#0.00000";
inline constexpr const char* DM = "#0.00";
inline constexpr const char* Flux = "#0.0";
inline constexpr const char* DistanceKpc = "#0.00";
inline constexpr const char* DistanceLy = "#0.0";
inline constexpr const char* Age = "0.00e+00";
inline constexpr const char* MaxBandwidth = ",0";
inline constexpr const char* ExpectedSN = "#0.0";
}  // namespace FigurePattern
