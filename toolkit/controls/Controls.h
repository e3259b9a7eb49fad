#pragma once
// The control framework: TControl (a component that owns one widget), TWinControl (a control
// that can hold other controls), TCustomControl (a control that paints itself into a persistent
// image), mouse and keyboard event types, the event invocation helper that routes escaping
// exceptions to the application, and the handler table through which window descriptions bind
// events to a window's member functions.
//
// No Qt header is included here: widgets are reached only from the toolkit's .cpp files.

#include <any>
#include <functional>
#include <map>
#include <memory>
#include <type_traits>
#include <typeinfo>
#include <utility>
#include <vector>

#include "Graphics.h"
#include "System.h"
#include "Types.h"

// The native widget behind a control. Outside the toolkit it is an opaque handle; the toolkit's
// own code reaches the widget through ControlsQt.h (Widget(), Native(), TControl::Handle()).
struct TNativeWidget;
class TWinControl;
class TControlEventFilter;

// ---- mouse and keyboard ------------------------------------------------------------------
enum TMouseButton { mbLeft, mbRight, mbMiddle };

// A set of these flags; test with Shift & ssCtrl.
enum TShiftStateFlag : unsigned {
  ssShift = 1,
  ssAlt = 2,
  ssCtrl = 4,
  ssLeft = 8,
  ssRight = 16,
  ssMiddle = 32,
  ssDouble = 64
};
using TShiftState = unsigned;

// Virtual key codes delivered to OnKeyDown/OnKeyUp (letters and digits are their upper-case
// ASCII codes).
enum : Word {
  VK_BACK = 8,
  VK_TAB = 9,
  VK_RETURN = 13,
  VK_SHIFT = 16,
  VK_CONTROL = 17,
  VK_MENU = 18,
  VK_ESCAPE = 27,
  VK_SPACE = 32,
  VK_PRIOR = 33,
  VK_NEXT = 34,
  VK_END = 35,
  VK_HOME = 36,
  VK_LEFT = 37,
  VK_UP = 38,
  VK_RIGHT = 39,
  VK_DOWN = 40,
  VK_INSERT = 45,
  VK_DELETE = 46,
  VK_F1 = 112,
  VK_F12 = 123
};

using TMouseEvent =
    std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
// Key is the typed character (control characters too: backspace 8, enter 13, Ctrl+V 22).
// Setting it to 0 drops the key; setting another character types that one instead.
using TKeyPressEvent = std::function<void(TObject* Sender, wchar_t& Key)>;
using TKeyEvent = std::function<void(TObject* Sender, Word& Key, TShiftState Shift)>;
// WheelDelta: 120 per notch, positive away from the user; MousePos in client pixels. Setting
// Handled stops the control's own scrolling.
using TMouseWheelEvent = std::function<void(TObject* Sender, TShiftState Shift, int WheelDelta,
                                            TPoint MousePos, bool& Handled)>;

// ---- calling handlers --------------------------------------------------------------------
// Every event the toolkit raises from the user interface goes through here: an exception that
// escapes the handler cannot cross Qt's event dispatch, so it is caught and handed to the
// application's exception handler (the standard error box), and the event loop goes on.
// Events raised by a setter called from code (Edit->SetText firing OnChange) are called
// directly instead, so their exceptions reach that code.
void RouteEventException(std::exception_ptr E);

template <class F, class... A>
void InvokeEvent(const F& Handler, A&&... Args) {
  if (!Handler) return;
  try {
    Handler(std::forward<A>(Args)...);
  } catch (...) {
    RouteEventException(std::current_exception());
  }
}

// Runs any callable the same way (a virtual MouseDown of a library control, say).
void GuardedCall(const std::function<void()>& Code);

// ---- the handler table -------------------------------------------------------------------
// A window offers its event handlers by name; a description's "OnClick = Button1Click" looks
// the name up here with the signature the event needs. A name registered with another
// parameter list is an error, not a silent mismatch.
class THandlerTable {
public:
  template <class Sig>
  void Add(const String& Name, std::function<Sig> Fn) {
    FEntries[Key(Name)] = Entry{std::any(std::move(Fn)), Name};
  }
  bool Contains(const String& Name) const { return FEntries.count(Key(Name)) != 0; }
  // The handler of that name with signature Sig. Raises EComponentError when there is no
  // such handler or its parameters do not fit the event.
  template <class Sig>
  std::function<Sig> Find(const String& Name, const String& EventName) const {
    auto it = FEntries.find(Key(Name));
    if (it == FEntries.end()) throw EComponentError("unknown event handler '" + Name + "'");
    const auto* fn = std::any_cast<std::function<Sig>>(&it->second.fn);
    if (fn == nullptr)
      throw EComponentError("event handler '" + Name + "' does not have the parameters of " +
                            EventName);
    return *fn;
  }

private:
  struct Entry {
    std::any fn;
    String name;
  };
  static String Key(const String& Name);
  std::map<String, Entry> FEntries;
};

// Implemented by windows (TForm) and by anything else that can be the root of a description.
class THandlerOwner {
public:
  virtual ~THandlerOwner() = default;
  THandlerTable& Handlers() { return FHandlers; }

  // Registers a member function of the window as a handler: Handler("Button1Click",
  // &TForm1::Button1Click). The KESTAL_HANDLER macro writes the name once.
  template <class C, class... A>
  void Handler(const String& Name, void (C::*Method)(A...)) {
    C* self = dynamic_cast<C*>(this);
    if (self == nullptr)
      throw EComponentError("handler " + Name + " registered on a foreign class");
    FHandlers.Add<void(A...)>(Name, std::function<void(A...)>([self, Method](A... args) {
                                (self->*Method)(std::forward<A>(args)...);
                              }));
  }

private:
  THandlerTable FHandlers;
};

// Inside a window's constructor: KESTAL_HANDLER(Button1Click);
#define KESTAL_HANDLER(Method) \
  this->Handler(#Method, &std::remove_pointer_t<decltype(this)>::Method)

// Resolves a handler for an event of signature Sig from a description's root. A root that is
// not a THandlerOwner offers only notify handlers (through FindNotifyHandler).
template <class Sig>
std::function<Sig> FindEventHandler(TComponent* Root, const String& Handler, const String& Event) {
  if (auto* owner = dynamic_cast<THandlerOwner*>(Root))
    return owner->Handlers().Find<Sig>(Handler, Event);
  if constexpr (std::is_same_v<Sig, void(TObject*)>) {
    if (Root != nullptr) {
      TNotifyEvent fn = Root->FindNotifyHandler(Handler);
      if (fn) return fn;
    }
  }
  throw EComponentError("unknown event handler '" + Handler + "'");
}

// ---- TControl ----------------------------------------------------------------------------
// Alignment of a control inside its parent.
enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

class TControl : public TComponent {
public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;
  String ClassName() const override { return "TControl"; }

  TWinControl* Parent() const { return FParent; }
  virtual void SetParent(TWinControl* AParent);

  // Position and size in pixels relative to the parent's client area (for a window: the
  // position of its client area on the screen and its client size).
  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  void SetLeft(int Value) { SetBounds(Value, FTop, FWidth, FHeight); }
  void SetTop(int Value) { SetBounds(FLeft, Value, FWidth, FHeight); }
  void SetWidth(int Value) { SetBounds(FLeft, FTop, Value, FHeight); }
  void SetHeight(int Value) { SetBounds(FLeft, FTop, FWidth, Value); }
  virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  TRect BoundsRect() const { return Bounds(FLeft, FTop, FWidth, FHeight); }
  virtual int ClientWidth() const { return FWidth; }
  virtual int ClientHeight() const { return FHeight; }
  virtual void SetClientWidth(int Value) { SetWidth(Value); }
  virtual void SetClientHeight(int Value) { SetHeight(Value); }
  TAlign Align() const { return FAlign; }
  void SetAlign(TAlign Value);

  // The control's own flag; a visible control on a hidden window is not on screen.
  bool Visible() const { return FVisible; }
  virtual void SetVisible(bool Value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // True when the control and all its parents are visible.
  bool Showing() const;
  bool Enabled() const { return FEnabled; }
  virtual void SetEnabled(bool Value);

  // Caption and Text are the same text (the window title, a button's label, an edit's text).
  String Caption() const { return GetText(); }
  void SetCaption(const String& Value) { SetText(Value); }
  String Text() const { return GetText(); }
  void SetText(const String& Value) { SetTextValue(Value); }

  String Hint() const { return FHint; }
  void SetHint(const String& Value);
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool Value);

  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  TColor Color() const { return FColor; }
  virtual void SetColor(TColor Value);
  bool ParentFont() const { return FParentFont; }
  void SetParentFont(bool Value);
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool Value);

  // Paints the control at once (synchronously) / asks for a repaint later.
  virtual void Repaint();
  void Refresh() { Repaint(); }
  virtual void Invalidate();
  void Update();
  void BringToFront();
  void SendToBack();

  // The mouse pointer's position relative to the control.
  TPoint ScreenToClient(const TPoint& P) const;
  TPoint ClientToScreen(const TPoint& P) const;

  // Scales position, size and font by M/D (children too, for a window control).
  virtual void ScaleBy(int M, int D);

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;
  TMouseWheelEvent OnMouseWheel;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TNotifyEvent OnResize;

  bool SetDescribedProperty(const String& Prop, const TPropValue& Value) override;
  bool SetDescribedEvent(const String& Event, const String& Handler, TComponent* Root) override;
  void Loaded() override;

  // The widget behind the control, for the toolkit's own code only: defined in ControlsQt.h.
  auto Handle() const;
  // The same as an opaque handle.
  TNativeWidget* NativeHandle() const { return FWidget; }

  // Runs OnClick (the platform's Click).
  virtual void Click();

  // Called by the toolkit for mouse input; the default fires the matching event. Library
  // controls override them (and call the base to keep the events).
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseMove(TShiftState Shift, int X, int Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void DblClick();
  // Returns true when the wheel was handled (the default asks OnMouseWheel).
  virtual bool MouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos);
  virtual void MouseEnter();
  virtual void MouseLeave();
  virtual void Resize();

protected:
  // Concrete controls create their widget in their constructor and hand it over here.
  void AttachWidget(TNativeWidget* W);
  // True for windows (their widget is a top-level window, never placed on a parent).
  virtual bool IsWindowControl() const { return false; }
  // Delivers mouse input of a child widget (a view's viewport) as the control's own.
  void WatchChild(TNativeWidget* W);
  virtual String GetText() const { return FText; }
  virtual void SetTextValue(const String& Value) { FText = Value; }
  // Applies the control's font and colour to its widget (after a change of either).
  virtual void ApplyFontAndColor();
  // The default for controls that answer a left click with OnClick (labels, panels, images).
  bool FClickOnMouseUp = false;
  void ApplyGeometry();
  virtual void ApplyVisibility();
  bool FVisible = true;
  bool FFontSet = false;
  bool FColorSet = false;

private:
  friend class TWinControl;
  friend class TControlEventFilter;
  void FontChanged();
  void ApplyFontAndColorTo(TNativeWidget* W);

  TWinControl* FParent = nullptr;
  TNativeWidget* FWidget = nullptr;
  TControlEventFilter* FFilter = nullptr;
  int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
  TAlign FAlign = alNone;
  bool FEnabled = true;
  bool FShowHint = false;
  bool FParentFont = true;
  bool FParentColor = false;
  bool FPressed = false;
  String FText;
  String FHint;
  std::unique_ptr<TFont> FFont;
  TColor FColor;
};

// ---- TWinControl -------------------------------------------------------------------------
class TWinControl : public TControl {
public:
  explicit TWinControl(TComponent* AOwner);
  ~TWinControl() override;
  String ClassName() const override { return "TWinControl"; }

  int ControlCount() const { return static_cast<int>(FControls.size()); }
  TControl* Controls(int Index) const { return FControls.at(static_cast<size_t>(Index)); }

  bool Focused() const;
  bool CanFocus() const;
  virtual void SetFocus();
  int TabOrder() const { return FTabOrder; }
  void SetTabOrder(int Value) { FTabOrder = Value; }
  bool TabStop() const { return FTabStop; }
  void SetTabStop(bool Value);

  void ScaleBy(int M, int D) override;
  void SetColor(TColor Value) override;

  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;

  bool SetDescribedProperty(const String& Prop, const TPropValue& Value) override;
  bool SetDescribedEvent(const String& Event, const String& Handler, TComponent* Root) override;

  // Keyboard input, called by the toolkit; the defaults fire the matching events.
  virtual void KeyDown(Word& Key, TShiftState Shift);
  virtual void KeyUp(Word& Key, TShiftState Shift);
  virtual void KeyPress(wchar_t& Key);
  virtual void DoEnter();
  virtual void DoExit();

  // The widget that holds child controls (the control's own by default).
  virtual TNativeWidget* ClientHandle() const { return NativeHandle(); }
  // Re-applies alignment (alTop, alClient, ...) of the child controls.
  void Realign();

protected:
  // When true, the toolkit delivers typed characters to KeyPress before the widget sees them.
  bool FWantsKeyPress = true;
  // When true, Tab and Shift+Tab reach KeyDown instead of moving the focus (a chart's keys).
  bool FWantsTab = false;

private:
  friend class TControl;
  friend class TControlEventFilter;
  void InsertControl(TControl* C);
  void RemoveControl(TControl* C);
  std::vector<TControl*> FControls;
  int FTabOrder = -1;
  bool FTabStop = false;
};

// ---- TCustomControl ----------------------------------------------------------------------
// A control that paints itself. Its Canvas draws into a persistent image the size of the
// control: the library paints into it whenever it likes (outside paint events), and the widget
// only copies the image to the screen. Repaint/Invalidate run Paint (and OnPaint) into the image
// and then show it. Resizing resizes the image, fires OnResize and repaints.
class TCustomControl : public TWinControl {
public:
  explicit TCustomControl(TComponent* AOwner);
  ~TCustomControl() override;
  String ClassName() const override { return "TCustomControl"; }

  // Runs CreateWnd once: the first time the widget is shown, or when code asks for it here
  // (a control that is never shown, or has no widget, gets its window only this way).
  void HandleNeeded();
  bool HandleAllocated() const { return FWndCreated; }

  // The image is made when the canvas is first asked for or the control is first painted: a
  // control on a window that is never shown never holds its pixels.
  TCanvas* Canvas() const;
  void Repaint() override;
  void Invalidate() override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

  TNotifyEvent OnPaint;
  bool SetDescribedEvent(const String& Event, const String& Handler, TComponent* Root) override;

  // Shows the image as it is now, without painting (after drawing onto Canvas directly). Inside
  // the widget's own paint event it does nothing: the event shows the image when Paint returns.
  void ShowImage();

  // Toolkit internal: the widget's paint event asks for a pending Paint.
  void PaintIfPending();
  // Toolkit internal: makes the image now if it was not made yet (see ImageData).
  void ImageNeeded();

protected:
  // A control with its image and canvas but no widget: it draws for another control and is
  // never on screen (the axes a chart draws with).
  struct TNoWidget {};
  TCustomControl(TComponent* AOwner, TNoWidget);
  // Draws the control onto Canvas; the default fills it with Color and fires OnPaint.
  virtual void Paint();
  // The window exists from now on (see HandleNeeded); the default does nothing.
  virtual void CreateWnd() {}

private:
  void ResizeImage(int AWidth, int AHeight);
  bool FWndCreated = false;
  bool FLazyImage = false;
  struct ImageData;
  std::unique_ptr<ImageData> FImage;
  std::unique_ptr<TCanvas> FCanvas;
  bool FPending = true;
  bool FInPaintEvent = false;
};

// A plain paint box: a TCustomControl that the window draws in its OnPaint.
class TPaintBox : public TCustomControl {
public:
  explicit TPaintBox(TComponent* AOwner);
  String ClassName() const override { return "TPaintBox"; }
};
