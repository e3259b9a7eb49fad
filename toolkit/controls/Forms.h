#pragma once
// Windows (TForm), the application object (Application) and the screen (Screen).
//
// How a window class is written: see FormParts.h, whose list of the window's controls and
// handlers declares, registers and binds them. Bind and KESTAL_BIND below bind one control.
//
//   // the program
//   Application->Initialize();
//   Application->CreateForm(Form1);   // the first window created is the main window
//   Application->CreateForm(Form7);
//   return Application->Run();
//
// Closing a window (its title-bar button or Close()) runs OnCloseQuery, then OnClose; the
// main window ends the event loop, any other window is hidden. Hiding the main window does not
// end the program.

#include <functional>
#include <map>
#include <memory>
#include <typeinfo>

#include "Controls.h"
#include "FormParts.h"
#include "StdCtrls.h"

enum TPosition {
  poDesigned,
  poDefault,
  poDefaultPosOnly,
  poDefaultSizeOnly,
  poScreenCenter,
  poDesktopCenter,
  poMainFormCenter,
  poOwnerFormCenter
};
enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
using TBorderStyle = TFormBorderStyle;

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

class TForm : public TWinControl, public THandlerOwner {
public:
  explicit TForm(TComponent* AOwner);
  ~TForm() override;
  String ClassName() const override { return "TForm"; }

  // Loads the window's description ":/<Unit>.form" (from the program's resources); Unit may
  // also be a path of a description file. Raises Exception naming the window, the component
  // and the line when the description is wrong.
  void LoadDescription(const String& Unit);
  // Loads a description given as text (Source names it in error messages).
  void LoadDescriptionText(const String& Text, const String& Source);

  // Sets Field to the component of that name, which must exist and be of Field's class.
  template <class T>
  void Bind(T*& Field, const String& ComponentName) {
    TComponent* c = FindComponent(ComponentName);
    if (c == nullptr) BindError(ComponentName, nullptr, typeid(T));
    Field = dynamic_cast<T*>(c);
    if (Field == nullptr) BindError(ComponentName, c, typeid(T));
  }

  void Show();
  void Hide() { SetVisible(false); }
  // Runs OnCloseQuery and OnClose, then hides the window (or, for the main window, ends the
  // event loop).
  void Close();
  // Shows the window modally and returns its ModalResult once it is closed or ModalResult is
  // set (by a button with a ModalResult, say).
  int ShowModal();
  int ModalResult() const { return FModalResult; }
  void SetModalResult(int Value);
  bool Active() const;
  void BringToFront();
  void SetVisible(bool Value) override;

  TPosition Position() const { return FPosition; }
  void SetPosition(TPosition Value) { FPosition = Value; }
  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle Value);
  TWindowState WindowState() const { return FWindowState; }
  void SetWindowState(TWindowState Value);
  // Client size is the window's own size (the frame belongs to the window manager), so
  // Width == ClientWidth and Height == ClientHeight.
  int ClientWidth() const override { return Width(); }
  int ClientHeight() const override { return Height(); }
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

  TNotifyEvent OnCreate;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;

  bool SetDescribedProperty(const String& Prop, const TPropValue& Value) override;
  bool SetDescribedEvent(const String& Event, const String& Handler, TComponent* Root) override;
  TNotifyEvent FindNotifyHandler(const String& HandlerName) override;

  // Toolkit internals.
  void UserClose();  // the window manager's close button
  void Activated();
  void Deactivated();
  void Loaded() override;
  bool FInModal = false;

protected:
  String GetText() const override;
  void SetTextValue(const String& Value) override;
  void ApplyFontAndColor() override;
  bool IsWindowControl() const override { return true; }

private:
  [[noreturn]] void BindError(const String& Name, TComponent* Found, const std::type_info& Want);
  void PlaceOnShow();
  TPosition FPosition = poDefaultPosOnly;
  TFormBorderStyle FBorderStyle = bsSizeable;
  TWindowState FWindowState = wsNormal;
  int FModalResult = 0;
  bool FShownOnce = false;
  bool FActive = false;
};

// Inside a window's constructor, after LoadDescription: KESTAL_BIND(Button1);
#define KESTAL_BIND(Field) this->Bind(this->Field, #Field)

// ---- the application ---------------------------------------------------------------------
class TApplication : public TComponent {
public:
  TApplication();
  ~TApplication() override;
  String ClassName() const override { return "TApplication"; }

  // Creates the Qt application object when there is none yet (the program's main); a test
  // that made its own keeps it. Puts numbers back into the C locale (Qt takes the locale from
  // the environment), makes the default TFont the controls' default font and registers the
  // toolkit's classes for window descriptions.
  void Initialize();
  void Initialize(int& argc, char** argv);

  // Creates a window owned by the application; the first one created becomes MainForm. An
  // exception escaping the window's constructor is shown in the standard error box and
  // rethrown (the program then ends with a non-zero code).
  template <class T>
  void CreateForm(T*& Reference) {
    try {
      Reference = new T(this);
    } catch (...) {
      Reference = nullptr;
      FCreateFailed = true;
      HandleException(std::current_exception());
      throw;
    }
    FormCreated(Reference);
  }

  // Shows the main window and runs the event loop until the main window is closed or
  // Terminate is called. Returns the exit code (0).
  int Run();
  // For automated runs: the next Run closes the main window Ms milliseconds after its event
  // loop starts, as if the user had closed it (a negative Ms: never). A precise one-shot, not
  // a TTimer, whose shortest interval would hold a short delay to MinTimerInterval.
  void SetCloseMainFormAfter(int Ms) { FCloseMainFormAfterMs = Ms; }
  void Terminate();
  bool Terminated() const { return FTerminated; }
  // Handles the events waiting now (paints, timers, input), then returns.
  void ProcessMessages();
  // Like ProcessMessages, but when no event is waiting it first sleeps until one arrives (a
  // timer, input, a posted event): a loop around it waits without using the processor.
  // False, at once, when there is no event loop to wait on.
  bool HandleMessage();

  TForm* MainForm() const { return FMainForm; }
  void SetMainForm(TForm* Form) { FMainForm = Form; }
  // The title of message boxes.
  String Title() const;
  void SetTitle(const String& Value);
  bool ShowMainForm = true;
  bool MainFormOnTaskBar = true;

  // Shows an exception in the standard error box (its Message; other exceptions show their
  // text). EAbort shows nothing.
  void ShowException(const std::exception& E);
  void HandleException(std::exception_ptr E);
  // Replaces the exception handler (tests may record instead of showing).
  std::function<void(std::exception_ptr)> OnException;

  // The Win32-style message box: Flags are MB_ button and default constants (Dialogs.h);
  // returns IDOK, IDCANCEL, IDYES or IDNO.
  int MessageBox(const String& Text, const String& Caption, unsigned Flags);

  // Destroys every window and component the application owns (the program does it before
  // the Qt application object goes).
  void DestroyComponents();
  // The program's end, after Run: destroys the windows and components (DestroyComponents),
  // then the Qt application object when Initialize made it. The window system's clipboard is
  // handed to a clipboard manager only while that object is destroyed, so what the program
  // copied last can still be pasted once it has ended. Nothing of the toolkit is used after.
  void Finalize();

private:
  void FormCreated(TForm* Form);
  TForm* FMainForm = nullptr;
  bool FTerminated = false;
  bool FRunning = false;
  bool FCreateFailed = false;
  int FCloseMainFormAfterMs = -1;
  bool FOwnsQApp = false;
  String FTitle;
};

// The application object (never destroyed; its windows go with DestroyComponents, and the Qt
// application object it made with Finalize).
extern TApplication* Application;

// Writes the window's picture, as drawn on screen without the frame, to a PNG file (for
// automated screenshots). Returns false when the file cannot be written.
bool SaveFormImage(TForm* Form, const String& FileName);

// ---- the screen --------------------------------------------------------------------------
using TCursor = int;
constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4,
                  crSizeAll = -22, crHandPoint = -21, crSizeNESW = -6, crSizeNS = -7,
                  crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10, crHourGlass = -11, crDrag = -12,
                  crNoDrop = -13, crHSplit = -14, crVSplit = -15, crNo = -18, crAppStart = -19,
                  crHelp = -20;

class TScreen : public TComponent {
public:
  TScreen();
  String ClassName() const override { return "TScreen"; }
  // The cursor shown over every window of the program (crDefault: each control's own).
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor Value);
  // Custom cursors by positive index: an image with its hot spot.
  void SetCustomCursor(TCursor Index, const TBitmap& Image, int HotX, int HotY);
  bool HasCursor(TCursor Index) const;
  int Width() const;
  int Height() const;
  int PixelsPerInch() const { return ScreenPixelsPerInch; }
  TForm* ActiveForm() const;

private:
  TCursor FCursor = crDefault;
  struct CustomCursor;
  std::map<TCursor, std::shared_ptr<CustomCursor>> FCustom;
};

extern TScreen* Screen;
