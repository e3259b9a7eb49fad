#pragma once
// Panel, bevel, image and timer.

#include <memory>

#include "Controls.h"
#include "StdCtrls.h"

// ---- TPanel ------------------------------------------------------------------------------
enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

class TPanel : public TWinControl {
public:
  explicit TPanel(TComponent* AOwner);
  String ClassName() const override { return "TPanel"; }

  TBevelCut BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TBevelCut Value);
  TBevelCut BevelInner() const { return FBevelInner; }
  void SetBevelInner(TBevelCut Value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);

  bool SetDescribedProperty(const String& Prop, const TPropValue& Value) override;

protected:
  String GetText() const override;
  void SetTextValue(const String& Value) override;

private:
  void ApplyFrame();
  TBevelCut FBevelOuter = bvRaised;
  TBevelCut FBevelInner = bvNone;
  TAlignment FAlignment = taCenter;
};

// ---- TBevel ------------------------------------------------------------------------------
enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
enum TBevelStyle { bsLowered, bsRaised };

class TBevel : public TControl {
public:
  explicit TBevel(TComponent* AOwner);
  String ClassName() const override { return "TBevel"; }

  TBevelShape Shape() const { return FShape; }
  void SetShape(TBevelShape Value);
  TBevelStyle Style() const { return FStyle; }
  void SetStyle(TBevelStyle Value);

  bool SetDescribedProperty(const String& Prop, const TPropValue& Value) override;

private:
  TBevelShape FShape = bsBox;
  TBevelStyle FStyle = bsLowered;
};

// ---- TImage ------------------------------------------------------------------------------
// Shows Picture (a JPEG, PNG or BMP picture from a description's binary data or a file).
// Stretch scales it to the control (keeping its aspect when Proportional), Center centres it,
// otherwise it sits at the top-left corner. Proportional alone only shrinks a picture that
// is larger than the control.
class TImage : public TControl {
public:
  explicit TImage(TComponent* AOwner);
  ~TImage() override;
  String ClassName() const override { return "TImage"; }

  TPicture* Picture() const { return FPicture.get(); }
  void SetPicture(TPicture* Value);
  bool Stretch() const { return FStretch; }
  void SetStretch(bool Value);
  bool Proportional() const { return FProportional; }
  void SetProportional(bool Value);
  bool Center() const { return FCenter; }
  void SetCenter(bool Value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  // The control takes the picture's size whenever the picture changes.
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);

  bool SetDescribedProperty(const String& Prop, const TPropValue& Value) override;

  // The picture was changed (Picture()->LoadFromFile, say): show it.
  void PictureChanged();

private:
  std::unique_ptr<TPicture> FPicture;
  bool FStretch = false;
  bool FProportional = false;
  bool FCenter = false;
  bool FTransparent = false;
  bool FAutoSize = false;
};

// ---- TTimer ------------------------------------------------------------------------------
// Fires OnTimer every Interval milliseconds on the user-interface thread, while Enabled and
// Interval > 0 (a timer without OnTimer counts and does nothing). Setting Interval or Enabled
// restarts the count. Intervals below MinTimerInterval run at that interval (the fastest rate the
// toolkit allows): a timer asked for every millisecond would otherwise re-format and repaint its
// fields a thousand times a second, far more often than anyone can read them.
constexpr int MinTimerInterval = 50;

class TTimer : public TComponent {
public:
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;
  String ClassName() const override { return "TTimer"; }

  int Interval() const { return FInterval; }
  void SetInterval(int Value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  // True while the timer is counting.
  bool Active() const;

  TNotifyEvent OnTimer;

  bool SetDescribedProperty(const String& Prop, const TPropValue& Value) override;
  bool SetDescribedEvent(const String& Event, const String& Handler, TComponent* Root) override;
  void Loaded() override;

private:
  void UpdateTimer();
  struct Impl;
  std::unique_ptr<Impl> FImpl;
  int FInterval = 1000;
  bool FEnabled = true;
};
