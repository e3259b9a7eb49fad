#include "ScreenshotTour.h"

#include <cstdio>

#include "Dialogs.h"
#include "Forms.h"
#include "StdCtrls.h"
#include "Unit1.h"
#include "Unit13.h"
#include "Unit4.h"
#include "Unit30.h"
#include "Unit34.h"
#include "Unit38.h"
#include "Unit42.h"

namespace {

class TTour {
public:
  explicit TTour(const String& Folder) : FFolder(IncludeTrailingPathDelimiter(Folder)) {}

  void Snap(TForm* Form, const String& Name) {
    Form->Show();
    // Lists lay out their rows and scroll bars in later passes of the event loop.
    for (int pass = 0; pass < 3; ++pass) Application->ProcessMessages();
    const String file = FFolder + Name + ".png";
    if (SaveFormImage(Form, file)) return;
    std::fprintf(stderr, "kestal: could not write %s\n", file.c_str());
    ++FFailures;
  }
  int Failures() const { return FFailures; }

private:
  String FFolder;
  int FFailures = 0;
};

}  // namespace

int RunScreenshotTour(const String& Folder) {
  TScopedDialogScript dialogs;
  TTour tour(Folder);
  tour.Snap(Form1, "Form1_start");
  Form1->Button1Click(Form1->Button1);
  // The first detectable pulsar selected, so its figures show too.
  if (Form1->ListBox1->Items()->Count() > 0) {
    Form1->ListBox1->SetItemIndex(0);
    Form1->ListBox1Click(Form1->ListBox1);
  }
  tour.Snap(Form1, "Form1");

  Form1->Button28Click(Form1->Button28);
  tour.Snap(Form30, "Form30");
  Form30->Hide();
  Form1->Button36Click(Form1->Button36);
  tour.Snap(Form42, "Form42");
  Form42->Hide();
  // The planning windows with content: the plan, the drift scan from it, the Sun's culminations.
  Form1->Button33Click(Form1->Button33);
  Form38->Button2Click(Form38->Button2);
  Form34->Button2Click(Form34->Button2);

  // The live windows after one tick of every timer, the 24-hour table of the pulsar and the
  // location dialog as its button opens it.
  for (int code = 1; code <= 12; ++code) Form1->TrackTick(code);
  Form1->ClockTick();
  Form1->Button24Click(Form1->Button24);
  tour.Snap(Form13, "Form13");
  Form13->Hide();
  Form1->Button26Click(Form1->Button26);
  tour.Snap(Form4, "Form4");
  Form4->Hide();

  Form1->Button43Click(Form1->Button43);
  tour.Snap(Form1, "Form1_evaluation");
  Form1->Button47Click(Form1->Button47);

  for (int i = 0; i < Application->ComponentCount(); ++i) {
    auto* form = dynamic_cast<TForm*>(Application->Components(i));
    if (form == nullptr || form == Form1 || form == Form30 || form == Form42 || form == Form13 ||
        form == Form4)
      continue;
    tour.Snap(form, form->Name());
    form->Hide();
  }
  for (const TMessageBoxRequest& box : dialogs->Boxes())
    std::fprintf(stderr, "kestal: box \"%s\": %s\n", box.Title.c_str(), box.Text.c_str());
  return tour.Failures();
}
