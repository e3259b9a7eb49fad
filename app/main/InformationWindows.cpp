#include "InformationWindows.h"

#include "SysUtils.h"
#include "Unit11.h"
#include "Unit12.h"
#include "Unit17.h"
#include "Unit18.h"
#include "Unit19.h"
#include "Unit20.h"
#include "Unit21.h"
#include "Unit23.h"
#include "Unit24.h"
#include "Unit25.h"
#include "Unit26.h"
#include "Unit27.h"
#include "Unit28.h"
#include "Unit29.h"
#include "Unit46.h"
#include "Unit48.h"
#include "Unit49.h"
#include "Unit5.h"
#include "Unit50.h"
#include "Unit51.h"
#include "Unit6.h"
#include "Unit7.h"
#include "Unit8.h"

#define KESTAL_WINDOW(N) [] { return static_cast<TForm*>(Form##N); }

const TInformationButton InformationButtonTable[23] = {
    {"Button17", KESTAL_WINDOW(5)},  {"Button12", KESTAL_WINDOW(6)},
    {"Button11", KESTAL_WINDOW(7)},  {"Button13", KESTAL_WINDOW(8)},
    {"Button5", KESTAL_WINDOW(11)},  {"Button7", KESTAL_WINDOW(17)},
    {"Button8", KESTAL_WINDOW(18)},  {"Button10", KESTAL_WINDOW(19)},
    {"Button9", KESTAL_WINDOW(20)},  {"Button6", KESTAL_WINDOW(21)},
    {"Button38", KESTAL_WINDOW(23)}, {"Button15", KESTAL_WINDOW(24)},
    {"Button21", KESTAL_WINDOW(25)}, {"Button22", KESTAL_WINDOW(26)},
    {"Button14", KESTAL_WINDOW(27)}, {"Button27", KESTAL_WINDOW(28)},
    {"Button29", KESTAL_WINDOW(29)}, {"Button16", KESTAL_WINDOW(46)},
    {"Button39", KESTAL_WINDOW(48)}, {"Button37", KESTAL_WINDOW(49)},
    {"Button40", KESTAL_WINDOW(50)}, {"Button41", KESTAL_WINDOW(51)},
    {"Button4", KESTAL_WINDOW(12)}};

#undef KESTAL_WINDOW

TForm* InformationWindowOf(TObject* Sender) {
  const auto* button = dynamic_cast<TComponent*>(Sender);
  if (!button) return nullptr;
  for (const TInformationButton& entry : InformationButtonTable)
    if (SameText(button->Name(), entry.Button)) return entry.Window();
  return nullptr;
}
