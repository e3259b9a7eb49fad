#pragma once
// What the sun-noise window asks of the measurement plot window: open it on the database
// ("Plot "), and after a deletion clear its chart and redraw the series it shows. Until the
// plot window exists the link does nothing; the plot window installs its own link when it is
// created.

#include <memory>

class TNoisePlotLink {
public:
  virtual ~TNoisePlotLink() = default;
  // Reset the zoom, reload the samples, clear the chart, show the measured series and the
  // window.
  virtual void OpenPlot() {}
  // Clear the chart and redraw every series whose flag is set, in the order flux, expected,
  // measured, delta, expected vs measured.
  virtual void RedrawShownSeries() {}
};

// The installed link (one that does nothing when none was installed).
TNoisePlotLink& NoisePlot();
// Installs Link (nullptr: back to doing nothing); returns the previous one.
std::unique_ptr<TNoisePlotLink> SetNoisePlot(std::unique_ptr<TNoisePlotLink> Link);
