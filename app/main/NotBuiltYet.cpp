#include "NotBuiltYet.h"

#include "ExtCtrls.h"
#include "StdCtrls.h"

namespace {

constexpr int StripHeight = 34;
constexpr int Margin = 8;
constexpr int CloseWidth = 75;
constexpr int CloseHeight = 25;

}  // namespace

void MarkNotBuiltYet(TForm* Form) {
  // A description may keep its window disabled until its work enables it; Close must work.
  Form->SetEnabled(true);
  Form->SetHeight(Form->Height() + StripHeight);
  auto* strip = new TPanel(Form);
  strip->SetName("NotBuiltYetPanel");
  strip->SetParent(Form);
  strip->SetBevelOuter(bvNone);
  strip->SetCaption("");
  strip->SetAlign(alBottom);
  strip->SetHeight(StripHeight);

  auto* line = new TLabel(Form);
  line->SetName("NotBuiltYetLabel");
  line->SetParent(strip);
  line->SetCaption(NotBuiltYetText);
  line->SetBounds(Margin, (StripHeight - line->Height()) / 2, line->Width(), line->Height());

  auto* close = new TButton(Form);
  close->SetName("NotBuiltYetClose");
  close->SetParent(strip);
  close->SetCaption("Close");
  // Beside the line, so it stays in view however narrow the window is made.
  close->SetBounds(line->Left() + line->Width() + 2 * Margin, (StripHeight - CloseHeight) / 2,
                   CloseWidth, CloseHeight);
  close->OnClick = [Form](TObject*) { Form->Close(); };
}
