#include "Unit2.h"

#include "Unit1.h"

TForm2* Form2 = nullptr;

TForm2::TForm2(TComponent* AOwner) : TForm(AOwner) {
  KESTAL_HANDLER(Button1Click);
  KESTAL_HANDLER(Button2Click);
  LoadDescription("Unit2");
  KESTAL_BIND(Edit1);
  KESTAL_BIND(Edit2);
  KESTAL_BIND(Edit3);
  KESTAL_BIND(Edit4);
  KESTAL_BIND(Edit5);
  KESTAL_BIND(Edit6);
  KESTAL_BIND(Edit7);
  KESTAL_BIND(Edit8);
  KESTAL_BIND(Edit9);
  KESTAL_BIND(Edit10);
  KESTAL_BIND(Edit11);
  KESTAL_BIND(Edit12);
  KESTAL_BIND(Edit13);
  KESTAL_BIND(Edit14);
  KESTAL_BIND(Edit15);
  KESTAL_BIND(Edit16);
  KESTAL_BIND(Edit17);
  KESTAL_BIND(Edit18);
  KESTAL_BIND(Edit19);
  KESTAL_BIND(Edit20);
  KESTAL_BIND(Edit21);
  KESTAL_BIND(Edit22);
  KESTAL_BIND(Edit23);
  KESTAL_BIND(Edit24);
  KESTAL_BIND(Edit25);
  KESTAL_BIND(Edit26);
  KESTAL_BIND(Edit46);
  KESTAL_BIND(Label16);
  KESTAL_BIND(Button1);
  KESTAL_BIND(Button2);
  // Only names, azimuths and elevations show; the Moon's extra boxes lie beyond the edge.
  SetWidth(302);
  OnClose = [this](TObject*, TCloseAction&) { HideMain.Restore(Form1, Button2, Button1); };
}

void TForm2::Button1Click(TObject* Sender) {
  Hide();
  if (Form1 != nullptr) Form1->Show();
}

void TForm2::Button2Click(TObject* Sender) { HideMain.Toggle(Form1, Button2, Button1); }
