#pragma once
// A window names its parts once: the controls of its description with their classes, and the
// handlers the description names. One list declares the member pointers and, in the
// constructor, registers the handlers, loads the description and binds the pointers:
//
//   // Unit7.h (every line of the definition but the last ends in a backslash)
//   #define KESTAL_UNIT7_PARTS(Controls, Handlers)
//     Controls(TButton, Button1, Button2)
//     Controls(TEdit, Edit1) /* the frequency */
//     Handlers(Button1Click, FormClose)
//
//   class TForm7 : public TForm {
//   public:
//     explicit TForm7(TComponent* AOwner);
//     KESTAL_DECLARE_PARTS(KESTAL_UNIT7_PARTS)
//     void Button1Click(TObject* Sender);
//     void FormClose(TObject* Sender, TCloseAction& Action);
//   };
//
//   // Unit7.cpp
//   TForm7::TForm7(TComponent* AOwner) : TForm(AOwner) {
//     KESTAL_LOAD_PARTS("Unit7", KESTAL_UNIT7_PARTS);
//     // ... then the window's own start-up code.
//   }
//
// A control missing from the description, or of another class, fails the load as Bind does
// ("Form7: Button1 is a TEdit, not a TButton"); a handler name the description uses but the
// list lacks fails as an unknown handler. Inside a list macro, comments are /* */: a // comment
// would swallow the continued line.

#include <type_traits>

// KESTAL_FOR_EACH(M, A, x, y, z) is M(A, x) M(A, y) M(A, z); up to 256 items.
#define KESTAL_PARENS_ ()
#define KESTAL_EXPAND_(...) KESTAL_EXPAND4_(KESTAL_EXPAND4_(KESTAL_EXPAND4_(KESTAL_EXPAND4_(__VA_ARGS__))))
#define KESTAL_EXPAND4_(...) KESTAL_EXPAND3_(KESTAL_EXPAND3_(KESTAL_EXPAND3_(KESTAL_EXPAND3_(__VA_ARGS__))))
#define KESTAL_EXPAND3_(...) KESTAL_EXPAND2_(KESTAL_EXPAND2_(KESTAL_EXPAND2_(KESTAL_EXPAND2_(__VA_ARGS__))))
#define KESTAL_EXPAND2_(...) KESTAL_EXPAND1_(KESTAL_EXPAND1_(KESTAL_EXPAND1_(KESTAL_EXPAND1_(__VA_ARGS__))))
#define KESTAL_EXPAND1_(...) __VA_ARGS__
#define KESTAL_FOR_EACH(M, A, ...) __VA_OPT__(KESTAL_EXPAND_(KESTAL_FOR_EACH_STEP_(M, A, __VA_ARGS__)))
#define KESTAL_FOR_EACH_STEP_(M, A, X, ...) \
  M(A, X) __VA_OPT__(KESTAL_FOR_EACH_AGAIN_ KESTAL_PARENS_(M, A, __VA_ARGS__))
#define KESTAL_FOR_EACH_AGAIN_() KESTAL_FOR_EACH_STEP_

#define KESTAL_SKIP_(...)
#define KESTAL_DECLARE_ONE_(Class, Name) Class* Name = nullptr;
#define KESTAL_DECLARE_CONTROLS_(Class, ...) KESTAL_FOR_EACH(KESTAL_DECLARE_ONE_, Class, __VA_ARGS__)
#define KESTAL_BIND_ONE_(Class, Name) this->Bind(this->Name, #Name);
#define KESTAL_BIND_CONTROLS_(Class, ...) KESTAL_FOR_EACH(KESTAL_BIND_ONE_, Class, __VA_ARGS__)
#define KESTAL_HANDLER_ONE_(Unused, Method) \
  this->Handler(#Method, &std::remove_pointer_t<decltype(this)>::Method);
#define KESTAL_HANDLERS_(...) KESTAL_FOR_EACH(KESTAL_HANDLER_ONE_, ~, __VA_ARGS__)

// In the class: the member pointers of the list, each null until bound.
#define KESTAL_DECLARE_PARTS(Parts) Parts(KESTAL_DECLARE_CONTROLS_, KESTAL_SKIP_)
// In the constructor, before the description is loaded: the list's handlers.
#define KESTAL_REGISTER_HANDLERS(Parts) Parts(KESTAL_SKIP_, KESTAL_HANDLERS_)
// In the constructor, after the description is loaded: the list's member pointers.
#define KESTAL_BIND_PARTS(Parts) Parts(KESTAL_BIND_CONTROLS_, KESTAL_SKIP_)
// The three steps for the description ":/<Unit>.form".
#define KESTAL_LOAD_PARTS(Unit, Parts) \
  KESTAL_REGISTER_HANDLERS(Parts)      \
  this->LoadDescription(Unit);         \
  KESTAL_BIND_PARTS(Parts)
