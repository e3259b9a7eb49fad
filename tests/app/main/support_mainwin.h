#pragma once
// A main window started in a fresh working folder, with scripted dialogs, a fixed clock and
// zone, an offline connection probe, and "the program ends" turned into an exception.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Dialogs.h"
#include "TestSupport.h"
#include "Unit1.h"

// Thrown instead of ending the process.
struct ProgramEnded {
  int Code;
};

// Unix time of a UTC date and time.
double UnixTime(int Year, int Month, int Day, int Hour = 12, int Minute = 0);

// The lines of a configuration file, each ended by LF (or by CR LF).
std::string ConfigText(const std::vector<std::string>& Lines, bool CrLf = false);
// A configured parameter section: 5 m dish, 1303 MHz, the usual chain, at 52.1 N 5.2 E,
// with the given mode code; then the locations heading and Locations.
std::vector<std::string> ConfigLines(const std::string& ModeCode = "DP",
                                     const std::vector<std::string>& Locations = {});

// A catalogue file: version line, header, units line, then Rows (without the running
// number, which is added).
std::string CatalogueText(const std::vector<std::string>& Rows,
                          const std::string& Version = "2.6.3", bool CrLf = false);

class MainWindowTest : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;

  // Creates the main window and then the windows it works with (list, sort dialog,
  // culminations, sun noise, Y-factor, planner, tracking, tables).
  void Start();
  // Puts the real catalogue into the folder as ATNF.csv.
  void UseRealCatalogue();
  // The shipped catalogue and a configuration for a 3 m dish at 1420 MHz, then Start.
  void StartThreeMetreDishAt1420WithTheRealCatalogue();
  std::vector<TMessageBoxRequest> Boxes() const { return dialogs->Boxes(); }
  std::vector<std::string> BoxTexts() const;
  // Sets a field as typing would (its change handler runs).
  static void Type(TEdit* Field, const std::string& Text) { Field->SetText(Text); }

  testsupport::TempDir dir;
  TScopedDialogScript dialogs;
};
