#pragma once
// The toolkit's object model: basic types, TObject, TPersistent, TComponent, notify events,
// the exception hierarchy, and the class registry that window descriptions create
// components through. Nothing here depends on Qt.

#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <vector>

// ---- basic types -------------------------------------------------------------------------
using String = std::string;  // UTF-8 text; positions count bytes
using Byte = std::uint8_t;
using Word = std::uint16_t;
using Cardinal = std::uint32_t;
using Integer = std::int32_t;
using Int64 = std::int64_t;
using Single = float;
using Double = double;
using Extended = long double;  // 80-bit x87 extended on amd64
static_assert(std::numeric_limits<long double>::digits == 64,
              "Extended needs the 80-bit x87 format");

class TObject;
class TComponent;
using TNotifyEvent = std::function<void(TObject* Sender)>;

// ---- exceptions --------------------------------------------------------------------------
// The base of every exception the toolkit, the library and the program raise.
class Exception : public std::exception {
public:
  explicit Exception(String msg) : Message(std::move(msg)) {}
  ~Exception() override = default;
  const char* what() const noexcept override { return Message.c_str(); }
  String Message;
};

class EConvertError : public Exception {
  using Exception::Exception;
};                                      // text conversions
class EInOutError : public Exception {  // file operations
public:
  explicit EInOutError(String msg, int code = 0) : Exception(std::move(msg)), ErrorCode(code) {}
  int ErrorCode;
};
class EFOpenError : public Exception {
  using Exception::Exception;
};  // a file stream cannot open
class EFCreateError : public Exception {
  using Exception::Exception;
};
class EReadError : public Exception {
  using Exception::Exception;
};
class EWriteError : public Exception {
  using Exception::Exception;
};
class EMathError : public Exception {
  using Exception::Exception;
};  // arithmetic failures
class EZeroDivide : public EMathError {
  using EMathError::EMathError;
};
class EInvalidOp : public EMathError {
  using EMathError::EMathError;
};
class EOverflow : public EMathError {
  using EMathError::EMathError;
};
class EOutOfMemory : public Exception {
  using Exception::Exception;
};
class EAssignError : public EConvertError {
  using EConvertError::EConvertError;
};  // Assign failed
class EListError : public Exception {
  using Exception::Exception;
};  // index out of a list
class EComponentError : public Exception {
  using Exception::Exception;
};  // duplicate names etc.
class EAbort : public Exception {
  using Exception::Exception;
};  // silent abort

// ---- TObject / TPersistent ---------------------------------------------------------------
class TObject {
public:
  TObject() = default;
  virtual ~TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  // Class name as the toolkit reports it ("TMatrix"); derived classes override.
  virtual String ClassName() const { return "TObject"; }
};

// Deletes an object if it is not null (the toolkit's Free).
template <class T>
inline void FreeAndNil(T*& p) {
  delete p;
  p = nullptr;
}

class TPersistent : public TObject {
public:
  String ClassName() const override { return "TPersistent"; }
  // Copies Source into this object. The default asks Source to assign itself to this one,
  // and fails with the standard assignment error when neither side knows how.
  virtual void Assign(TPersistent* Source);

protected:
  virtual void AssignTo(TPersistent* Dest);
  // Raises the standard "Cannot assign a X to a Y" error.
  [[noreturn]] void AssignError(TPersistent* Source);
};

// ---- properties as window descriptions give them ------------------------------------------
// One value from a window description: a number, a text, an identifier (True, clBlack, alClient),
// a set ([fsBold]), a list of texts (Items.Strings = (...)) or binary data ({...}).
struct TPropValue {
  enum class Kind { Integer, Float, String, Ident, Set, List, Binary };
  Kind kind = Kind::Integer;
  Int64 i = 0;
  long double f = 0;
  String s;                   // String, Ident, or the bytes of Binary
  std::vector<String> items;  // Set members or List texts

  // Conversions raise EConvertError naming what was expected.
  Int64 AsInteger() const;
  long double AsFloat() const;
  bool AsBoolean() const;
  const String& AsString() const;
};

// ---- TComponent --------------------------------------------------------------------------
class TComponent : public TPersistent {
public:
  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;  // destroys every owned component, then leaves its owner
  String ClassName() const override { return "TComponent"; }

  TComponent* Owner() const { return FOwner; }
  const String& Name() const { return FName; }
  virtual void SetName(const String& NewName);

  int ComponentCount() const { return static_cast<int>(FComponents.size()); }
  TComponent* Components(int Index) const { return FComponents.at(static_cast<size_t>(Index)); }
  // The owned component of that name (names compared without regard to case), or null.
  TComponent* FindComponent(const String& AName) const;

  // Component state: while loading from a description, and while designing (never here).
  enum TComponentStateFlag : unsigned { csLoading = 1, csDesigning = 2, csDestroying = 4 };
  unsigned ComponentState() const { return FComponentState; }
  bool IsLoading() const { return (FComponentState & csLoading) != 0; }

  // The description loader's protocol: BeginLoading, properties, Loaded.
  void BeginLoading() { FComponentState |= csLoading; }
  virtual void Loaded() { FComponentState &= ~static_cast<unsigned>(csLoading); }

  // Sets one property read from a window description. Returns false when this class has no
  // such property; derived classes handle theirs and pass the rest to their base.
  // A dotted name ("Font.Size") reaches a nested property.
  virtual bool SetDescribedProperty(const String& Prop, const TPropValue& Value);

  // Binds an event named in a description (OnClick = Button1Click). Returns false when the
  // class has no such event. Root (the window) resolves handler names.
  virtual bool SetDescribedEvent(const String& Event, const String& Handler, TComponent* Root);

  // The window class offers its handlers by name; the default knows none.
  virtual TNotifyEvent FindNotifyHandler(const String& HandlerName);

  // Free-form tag, as the toolkit offers.
  Int64 Tag = 0;

protected:
  void InsertComponent(TComponent* C);
  void RemoveComponent(TComponent* C);

private:
  TComponent* FOwner = nullptr;
  String FName;
  std::vector<TComponent*> FComponents;
  unsigned FComponentState = 0;
};

// ---- class registry ----------------------------------------------------------------------
// Window descriptions create components by class name through this registry. Each class that
// can appear in a description registers a factory once, e.g. with a static KESTAL_REGISTER_CLASS.
using TComponentFactory = std::function<TComponent*(TComponent* AOwner)>;

void RegisterComponentClass(const String& ClassName, TComponentFactory Factory);
// Null when the class is not registered.
const TComponentFactory* FindComponentClass(const String& ClassName);

// Registers a class whose constructor takes the owner. Use at namespace scope in a .cpp:
//   KESTAL_REGISTER_CLASS(TMatrix)
// Static libraries drop unreferenced objects, so each library also offers an explicit
// Register...Classes() function that the program calls at start-up.
#define KESTAL_REGISTER_CLASS(Cls)                                                           \
  static const bool kestal_registered_##Cls = [] {                                           \
    ::RegisterComponentClass(#Cls, [](TComponent* o) -> TComponent* { return new Cls(o); }); \
    return true;                                                                             \
  }()
