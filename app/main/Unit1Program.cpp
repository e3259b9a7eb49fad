#include "Unit1Program.h"

#include "DOV_datatable.h"
#include "DOV_math1.h"
#include "DOV_math2.h"
#include "DOV_sdlbase.h"
#include "DOV_zodozaPub.h"
#include "FormLoader.h"
#include "Forms.h"
#include "HTTPClient.h"
#include "RtlInit.h"
#include "Unit1.h"
#include "Unit2.h"
#include "Unit4.h"
#include "Unit5.h"
#include "Unit6.h"
#include "Unit7.h"
#include "Unit8.h"
#include "Unit9.h"
#include "Unit10.h"
#include "Unit11.h"
#include "Unit12.h"
#include "Unit13.h"
#include "Unit17.h"
#include "Unit18.h"
#include "Unit19.h"
#include "Unit20.h"
#include "Unit21.h"
#include "Unit22.h"
#include "Unit23.h"
#include "Unit24.h"
#include "Unit25.h"
#include "Unit26.h"
#include "Unit27.h"
#include "Unit28.h"
#include "Unit29.h"
#include "Unit30.h"
#include "Unit31.h"
#include "Unit34.h"
#include "Unit35.h"
#include "Unit36.h"
#include "Unit37.h"
#include "Unit38.h"
#include "Unit39.h"
#include "Unit40.h"
#include "Unit41.h"
#include "Unit42.h"
#include "Unit46.h"
#include "Unit47.h"
#include "Unit48.h"
#include "Unit49.h"
#include "Unit50.h"
#include "Unit51.h"
#include "Unit53.h"

void InitKestal() {
  // The order fixes the process's random sequence: the string unit seeds the generator, the
  // scalar-math unit then draws its own seeds from it.
  InitRuntime();
  InitLibrary();
  DOV_math1_Init();
  RegisterToolkitClasses();
  RegisterNumericsClasses();
  RegisterStatisticsClasses();
  RegisterNetClasses();
  RegisterChartingClasses();
}

void CreateKestalForms() {
  Application->CreateForm(Form1);
  Application->CreateForm(Form2);
  Application->CreateForm(Form4);
  Application->CreateForm(Form5);
  Application->CreateForm(Form6);
  Application->CreateForm(Form7);
  Application->CreateForm(Form8);
  Application->CreateForm(Form9);
  Application->CreateForm(Form10);
  Application->CreateForm(Form11);
  Application->CreateForm(Form12);
  Application->CreateForm(Form13);
  Application->CreateForm(Form17);
  Application->CreateForm(Form18);
  Application->CreateForm(Form19);
  Application->CreateForm(Form20);
  Application->CreateForm(Form21);
  Application->CreateForm(Form22);
  Application->CreateForm(Form23);
  Application->CreateForm(Form24);
  Application->CreateForm(Form25);
  Application->CreateForm(Form26);
  Application->CreateForm(Form27);
  Application->CreateForm(Form28);
  Application->CreateForm(Form29);
  Application->CreateForm(Form30);
  Application->CreateForm(Form31);
  Application->CreateForm(Form34);
  Application->CreateForm(Form35);
  Application->CreateForm(Form36);
  Application->CreateForm(Form37);
  Application->CreateForm(Form38);
  Application->CreateForm(Form39);
  Application->CreateForm(Form40);
  Application->CreateForm(Form41);
  Application->CreateForm(Form42);
  Application->CreateForm(Form46);
  Application->CreateForm(Form47);
  Application->CreateForm(Form48);
  Application->CreateForm(Form49);
  Application->CreateForm(Form50);
  Application->CreateForm(Form51);
  Application->CreateForm(Form53);
}
