#pragma once
// Message boxes and the save-file dialog, all through one replaceable dialog service.
//
// The program shows real dialogs (the default service). A test installs a
// TScriptedDialogService: it records every box (kind, title, text, buttons, default button)
// and every save dialog, and answers from a script, so no test ever waits for a person.
//
// Answers are the Win32 codes: IDOK 1, IDCANCEL 2, IDYES 6, IDNO 7 (equal to mrOk, mrCancel,
// mrYes, mrNo of StdCtrls.h).

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "Controls.h"
#include "StdCtrls.h"

// Buttons and default button of MessageBox (Win32 values; combine with |).
constexpr unsigned MB_OK = 0x0, MB_OKCANCEL = 0x1, MB_ABORTRETRYIGNORE = 0x2, MB_YESNOCANCEL = 0x3,
                   MB_YESNO = 0x4, MB_RETRYCANCEL = 0x5;
constexpr unsigned MB_ICONERROR = 0x10, MB_ICONHAND = 0x10, MB_ICONSTOP = 0x10,
                   MB_ICONQUESTION = 0x20, MB_ICONWARNING = 0x30, MB_ICONEXCLAMATION = 0x30,
                   MB_ICONINFORMATION = 0x40, MB_ICONASTERISK = 0x40;
constexpr unsigned MB_DEFBUTTON1 = 0x000, MB_DEFBUTTON2 = 0x100, MB_DEFBUTTON3 = 0x200;
constexpr unsigned MB_APPLMODAL = 0x0, MB_TASKMODAL = 0x2000, MB_SYSTEMMODAL = 0x1000;
constexpr int IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7;

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn : unsigned {
  mbYes = 1,
  mbNo = 2,
  mbOK = 4,
  mbCancel = 8,
  mbAbort = 16,
  mbRetry = 32,
  mbIgnore = 64
};
using TMsgDlgButtons = unsigned;  // mbYes | mbNo

// What kind of box is asked for: the simple message (ShowMessage), a message box with a
// choice of buttons (MessageBox / MessageDlg), or the standard error box of an exception.
enum class TDialogKind { Message, MessageBox, Error };

struct TMessageBoxRequest {
  TDialogKind Kind = TDialogKind::Message;
  String Title;
  String Text;
  // The buttons in their order on the box, as answer codes (IDYES, IDNO, ...).
  std::vector<int> Buttons;
  int DefaultButton = IDOK;  // one of Buttons
  TMsgDlgType Icon = mtCustom;
};

struct TSaveDialogRequest {
  String Title;
  String Filter;        // "CSV files (*.csv)|*.csv|All files|*.*"
  int FilterIndex = 1;  // 1-based
  String FileName;
  String InitialDir;
  String DefaultExt;
  // Called when the user picks another file type (1-based index) with the name typed so far;
  // a non-empty result replaces the offered name. Optional.
  std::function<String(int FilterIndex, const String& TypedName)> OnTypeChange;
};

class TDialogService {
public:
  virtual ~TDialogService() = default;
  // Shows the box and returns the code of the button chosen (closing the box counts as
  // Cancel when there is one, else as the only/default button).
  virtual int ShowMessageBox(const TMessageBoxRequest& Request) = 0;
  // Asks for a file name to save to. On true, Request.FileName and FilterIndex hold the
  // choice.
  virtual bool ExecuteSaveDialog(TSaveDialogRequest& Request) = 0;
};

// The service in use (the real one unless replaced). SetDialogService returns the previous one;
// null restores the real one.
TDialogService& DialogService();
std::shared_ptr<TDialogService> SetDialogService(std::shared_ptr<TDialogService> Service);

// Records every box and answers from a script; when the script is empty a box is answered
// with its default button and a save dialog is cancelled.
class TScriptedDialogService : public TDialogService {
public:
  struct Record {
    TMessageBoxRequest Box;
    bool IsSaveDialog = false;
    TSaveDialogRequest Save;
  };
  int ShowMessageBox(const TMessageBoxRequest& Request) override;
  bool ExecuteSaveDialog(TSaveDialogRequest& Request) override;

  // Queue the answer to the next message box (IDYES ...).
  void Answer(int Code) { FAnswers.push_back(Code); }
  // Queue the answer to the next save dialog: a file name, or nullopt for Cancel.
  void AnswerSave(std::optional<String> FileName, int FilterIndex = 0) {
    FSaveAnswers.push_back({std::move(FileName), FilterIndex});
  }
  // Called for every box after it was recorded (a test may act here, e.g. check state).
  std::function<void(const TMessageBoxRequest&)> OnBox;

  std::vector<Record> Records;
  // The message boxes only, in order.
  std::vector<TMessageBoxRequest> Boxes() const;
  void Clear() { Records.clear(); }

private:
  std::deque<int> FAnswers;
  std::deque<std::pair<std::optional<String>, int>> FSaveAnswers;
};

// Installs a scripted service for the lifetime of the object and restores the previous one.
class TScopedDialogScript {
public:
  TScopedDialogScript();
  ~TScopedDialogScript();
  TScopedDialogScript(const TScopedDialogScript&) = delete;
  TScopedDialogScript& operator=(const TScopedDialogScript&) = delete;
  TScriptedDialogService& operator*() const { return *FService; }
  TScriptedDialogService* operator->() const { return FService.get(); }

private:
  std::shared_ptr<TScriptedDialogService> FService;
  std::shared_ptr<TDialogService> FPrevious;
};

// The simple message box: one OK button, the application's title.
void ShowMessage(const String& Text);
// A Win32-style message box (see MB_ constants); returns IDOK ... IDNO.
int MessageBox(const String& Text, const String& Caption, unsigned Flags);
// A message box with the application's title, the given buttons, and the first of Yes, OK
// as default unless DefaultButton names another; returns mrYes ... mrNo.
int MessageDlg(const String& Text, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx = 0);
int MessageDlg(const String& Text, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx,
               TMsgDlgBtn DefaultButton);
// The standard error box of an exception (one OK button, the application's title).
void ShowErrorBox(const String& Text);

// ---- TSaveDialog -------------------------------------------------------------------------
class TSaveDialog : public TComponent {
public:
  explicit TSaveDialog(TComponent* AOwner) : TComponent(AOwner) {}
  String ClassName() const override { return "TSaveDialog"; }

  String Title;
  String Filter;
  int FilterIndex = 1;
  String FileName;
  String InitialDir;
  // Added (with a ".") to a chosen name that has no extension.
  String DefaultExt;

  // Asks for the file name; true when the user chose one (then in FileName).
  bool Execute();

  bool SetDescribedProperty(const String& Prop, const TPropValue& Value) override;
};
