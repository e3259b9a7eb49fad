// Window descriptions: every kind of value, nested controls, events bound to the window's
// handlers, Loaded after all properties, and clear errors for every kind of mistake.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "ComCtrls.h"
#include "ExtCtrls.h"
#include "FormLoader.h"
#include "Forms.h"
#include "Grids.h"
#include "StdCtrls.h"
#include "TestSupport.h"
#include "support_ui.h"

namespace {

// A component of a library kind: records when it was loaded and what it knew then.
std::vector<String> gLoadedOrder;

class TProbe : public TComponent {
public:
  explicit TProbe(TComponent* AOwner) : TComponent(AOwner) {}
  String ClassName() const override { return "TProbe"; }
  Int64 Rows = 0;
  Int64 RowsAtLoaded = -1;
  bool SetDescribedProperty(const String& Prop, const TPropValue& Value) override {
    if (Prop == "Rows") {
      Rows = Value.AsInteger();
      return true;
    }
    return TComponent::SetDescribedProperty(Prop, Value);
  }
  void Loaded() override {
    TComponent::Loaded();
    RowsAtLoaded = Rows;
    gLoadedOrder.push_back(Name());
  }
};

class TForm9 : public TForm {
public:
  explicit TForm9(const String& Text) : TForm(nullptr) {
    KESTAL_HANDLER(Button1Click);
    KESTAL_HANDLER(Timer1Timer);
    KESTAL_HANDLER(Edit1KeyPress);
    KESTAL_HANDLER(FormClose);
    KESTAL_HANDLER(FormCreate);
    LoadDescriptionText(Text, "Unit9.form");
  }
  TButton* Button1 = nullptr;
  TButton* Button2 = nullptr;
  TEdit* Edit1 = nullptr;
  TLabel* Label1 = nullptr;
  TTimer* Timer1 = nullptr;
  TPanel* Panel1 = nullptr;
  TListBox* ListBox1 = nullptr;
  TImage* Image1 = nullptr;
  TDateTimePicker* Picker1 = nullptr;
  TStringGrid* Grid1 = nullptr;
  TProbe* Table1 = nullptr;
  TProbe* Table2 = nullptr;
  int clicks = 0, creates = 0, timerTicks = 0;
  TObject* lastSender = nullptr;
  void Button1Click(TObject* Sender) {
    ++clicks;
    lastSender = Sender;
  }
  void Timer1Timer(TObject*) { ++timerTicks; }
  void Edit1KeyPress(TObject*, wchar_t& Key) {}
  void FormClose(TObject*, TCloseAction&) {}
  void FormCreate(TObject*) { ++creates; }
};

// A 2 x 1 bitmap file: a red and a blue pixel.
String TinyBmp() {
  String b = "BM";
  auto u32 = [&](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
  };
  auto u16 = [&](std::uint16_t v) {
    b.push_back(static_cast<char>(v & 0xFF));
    b.push_back(static_cast<char>(v >> 8));
  };
  u32(54 + 8);
  u32(0);
  u32(54);
  u32(40);
  u32(2);
  u32(1);
  u16(1);
  u16(24);
  u32(0);
  u32(8);
  u32(2835);
  u32(2835);
  u32(0);
  u32(0);
  const unsigned char px[] = {0, 0, 255, 255, 0, 0, 0, 0};  // B G R, B G R, padding
  b.append(reinterpret_cast<const char*>(px), sizeof px);
  return b;
}

String Hex(const String& Bytes) {
  static const char* d = "0123456789ABCDEF";
  String h;
  for (unsigned char c : Bytes) {
    h.push_back(d[c >> 4]);
    h.push_back(d[c & 15]);
  }
  return h;
}

// A window holding Levels objects, each inside the one before (the window is the first).
String NestedObjects(int Levels) {
  String text;
  for (int i = 0; i < Levels; ++i) text += i == 0 ? "object Form9: TForm9\n" : "object TProbe\n";
  for (int i = 0; i < Levels; ++i) text += "end\n";
  return text;
}

class FormLoader : public ::testing::Test {
protected:
  void SetUp() override {
    RegisterToolkitClasses();
    RegisterComponentClass("TProbe", [](TComponent* o) -> TComponent* { return new TProbe(o); });
    gLoadedOrder.clear();
  }
};

TEST_F(FormLoader, BuildsTheWindowFromEveryKindOfValue) {
  const String text =
      "object Form9: TForm9\n"
      "  Caption = 'Pulsar list'\n"
      "  ClientWidth = 640\n"
      "  ClientHeight = 400\n"
      "  Position = poScreenCenter\n"
      "  Color = clRed\n"
      "  OnClose = FormClose\n"
      "  OnCreate = FormCreate\n"
      "  object Table1: TProbe\n"
      "    Rows = 5000\n"
      "  end\n"
      "  object Label1: TLabel\n"
      "    Left = 8\n"
      "    Top = $10\n"
      "    Caption = 'it''s'#13#10'two lines' +\n"
      "      ' joined'\n"
      "    Font.Style = [fsBold, fsItalic]\n"
      "    Font.Size = 12\n"
      "    Font.Color = clBlue\n"
      "  end\n"
      "  object Edit1: TEdit // a comment\n"
      "    Left = -5\n"
      "    Text = \"say \\\"hi\\\"\\n\"\n"
      "    MaxLength = 9\n"
      "    Enabled = False\n"
      "    OnKeyPress = Edit1KeyPress\n"
      "  end\n"
      "  object Panel1: TPanel\n"
      "    Left = 100\n"
      "    Top = 50\n"
      "    Width = 200\n"
      "    Height = 100\n"
      "    BevelOuter = bvNone\n"
      "    object Button1: TButton\n"
      "      Left = 4\n"
      "      Top = 6\n"
      "      Caption = \"Close\"\n"
      "      OnClick = Button1Click\n"
      "      Default = true\n"
      "    end\n"
      "    object Table2: TProbe\n"
      "      Rows = 11\n"
      "    end\n"
      "  end\n"
      "  object ListBox1: TListBox\n"
      "    Items.Strings = (\n"
      "      'first'\n"
      "      \"second\"\n"
      "      3)\n"
      "  end\n"
      "  object Timer1: TTimer\n"
      "    Interval = 0\n"
      "    OnTimer = Timer1Timer\n"
      "  end\n"
      "  object Picker1: TDateTimePicker\n"
      "    Date = 45292.0\n"
      "  end\n"
      "  object Grid1: TStringGrid\n"
      "    ColCount = 13\n"
      "    RowCount = 12\n"
      "    FixedRows = 2\n"
      "    ColWidths = (40 50 60)\n"
      "    Options = [goFixedVertLine, goRowSelect]\n"
      "  end\n"
      "  object Image1: TImage\n"
      "    Stretch = True\n"
      "    Picture.Data = {\n"
      "      " +
      Hex(TinyBmp()).substr(0, 40) +
      "\n"
      "      " +
      Hex(TinyBmp()).substr(40) +
      "}\n"
      "  end\n"
      "end\n";
  TForm9 f(text);
  f.Bind(f.Button1, "Button1");
  f.Bind(f.Edit1, "Edit1");
  f.Bind(f.Label1, "Label1");
  f.Bind(f.Timer1, "Timer1");
  f.Bind(f.Panel1, "Panel1");
  f.Bind(f.ListBox1, "ListBox1");
  f.Bind(f.Image1, "Image1");
  f.Bind(f.Picker1, "Picker1");
  f.Bind(f.Grid1, "Grid1");
  f.Bind(f.Table1, "Table1");
  f.Bind(f.Table2, "Table2");

  EXPECT_EQ(f.Name(), "Form9");
  EXPECT_EQ(f.Caption(), "Pulsar list");
  EXPECT_EQ(f.ClientWidth(), 640);
  EXPECT_EQ(f.Position(), poScreenCenter);
  EXPECT_EQ(f.Color(), clRed);
  EXPECT_EQ(f.creates, 1) << "OnCreate runs once after loading";
  EXPECT_TRUE(static_cast<bool>(f.OnClose));

  EXPECT_EQ(f.Label1->Caption(), "it's\r\ntwo lines joined");
  EXPECT_EQ(f.Label1->Top(), 16);
  EXPECT_TRUE(f.Label1->Font()->Style().Contains(fsBold));
  EXPECT_TRUE(f.Label1->Font()->Style().Contains(fsItalic));
  EXPECT_EQ(f.Label1->Font()->Size(), 12);
  EXPECT_EQ(f.Label1->Font()->Color(), clBlue);

  EXPECT_EQ(f.Edit1->Text(), "say \"hi\"\n");
  EXPECT_EQ(f.Edit1->Left(), -5);
  EXPECT_EQ(f.Edit1->MaxLength(), 9);
  EXPECT_FALSE(f.Edit1->Enabled());
  EXPECT_TRUE(static_cast<bool>(f.Edit1->OnKeyPress));

  // Nesting: the button sits on the panel, everything is owned by the window.
  EXPECT_EQ(f.Button1->Parent(), f.Panel1);
  EXPECT_EQ(f.Button1->Owner(), &f);
  EXPECT_EQ(f.Panel1->Parent(), &f);
  EXPECT_EQ(f.Table2->Owner(), &f);
  EXPECT_TRUE(f.Button1->Default());

  // Events call the window's member functions with the control as sender.
  f.Button1->Click();
  EXPECT_EQ(f.clicks, 1);
  EXPECT_EQ(f.lastSender, f.Button1);

  EXPECT_EQ(f.ListBox1->Items()->Count(), 3);
  EXPECT_EQ(f.ListBox1->Items()->Get(1), "second");
  EXPECT_EQ(f.ListBox1->Items()->Get(2), "3");
  EXPECT_EQ(f.Timer1->Interval(), 0);
  EXPECT_FALSE(f.Timer1->Active());
  EXPECT_DOUBLE_EQ(f.Picker1->Date(), 45292.0);
  EXPECT_EQ(f.Grid1->ColCount(), 13);
  EXPECT_EQ(f.Grid1->FixedRows(), 2);
  EXPECT_EQ(f.Grid1->ColWidths(2), 60);
  EXPECT_EQ(f.Grid1->Options(), static_cast<TGridOptions>(goFixedVertLine | goRowSelect));
  EXPECT_EQ(f.Image1->Picture()->Width(), 2);
  EXPECT_TRUE(f.Image1->Stretch());

  // Loaded: after every property, in the order of the description.
  EXPECT_EQ(f.Table1->RowsAtLoaded, 5000);
  EXPECT_EQ(f.Table2->RowsAtLoaded, 11);
  EXPECT_EQ(gLoadedOrder, (std::vector<String>{"Table1", "Table2"}));
  EXPECT_FALSE(f.IsLoading());
  EXPECT_FALSE(f.Button1->IsLoading());
}

TEST_F(FormLoader, PictureFromAFileOfTheResourcesOrTheFolder) {
  testsupport::TempDir dir;
  dir.write("pic.bmp", TinyBmp());
  TForm9 f(
      "object Form9: TForm9\n"
      "  object Image1: TImage\n"
      "    Picture.Data = file 'pic.bmp'\n"
      "  end\n"
      "end\n");
  f.Bind(f.Image1, "Image1");
  EXPECT_EQ(f.Image1->Picture()->Width(), 2);
  EXPECT_EQ(f.Image1->Picture()->Height(), 1);
}

TEST_F(FormLoader, EventsDoNotFireWhileLoading) {
  // Text and Checked set by a description run no handler of a window still being built.
  TForm9 f(
      "object Form9: TForm9\n"
      "  object Edit1: TEdit\n"
      "    OnChange = Button1Click\n"
      "    Text = 'typed'\n"
      "  end\n"
      "  object Radio1: TRadioButton\n"
      "    OnClick = Button1Click\n"
      "    Checked = True\n"
      "  end\n"
      "end\n");
  EXPECT_EQ(f.clicks, 0);
  f.Bind(f.Edit1, "Edit1");
  f.Edit1->SetText("changed");
  EXPECT_EQ(f.clicks, 1);
}

// The parser on its own: each kind of value as it arrives in the parsed object.
TEST_F(FormLoader, ParsesEveryKindOfValue) {
  using K = TPropValue::Kind;
  const struct {
    const char* value;  // the text after "X = "
    K kind;
    String s;  // the text, the name, the number as written or the bytes
    Int64 i;
    std::vector<String> items;
  } cases[] = {
      {"'plain'", K::String, "plain", 0, {}},
      {"''", K::String, "", 0, {}},
      {"''''", K::String, "'", 0, {}},
      {"'it''s'''", K::String, "it's'", 0, {}},
      {"'a'#13#10'b'#$41", K::String, "a\r\nbA", 0, {}},
      {"#233'x'", K::String, "\xC3\xA9x", 0, {}},
      {"'caf\xC3\xA9 // not a comment'", K::String, "caf\xC3\xA9 // not a comment", 0, {}},
      {"'a' + // joined\n  'b' +\n\n 'c'", K::String, "abc", 0, {}},
      {"\"q\\\"\\\\\\n\\t\\r'\"", K::String, "q\"\\\n\t\r'", 0, {}},
      {"clBtnFace", K::Ident, "clBtnFace", 0, {}},
      {"Font.Style_2", K::Ident, "Font.Style_2", 0, {}},
      {"-17", K::Integer, "-17", -17, {}},
      {"+8", K::Integer, "+8", 8, {}},
      {"$FF000000", K::Integer, "$FF000000", -16777216, {}},
      {"-$10", K::Integer, "-$10", -16, {}},
      {"$1FFFFFFFF", K::Integer, "$1FFFFFFFF", 0x1FFFFFFFF, {}},
      {"-2.5e-3", K::Float, "-2.5e-3", 0, {}},
      {"1E3", K::Float, "1E3", 1000, {}},
      {"[]", K::Set, "", 0, {}},
      {"[ fsBold ,fsItalic]", K::Set, "", 0, {"fsBold", "fsItalic"}},
      {"( 'a' 2 x.y \"d\" #65 )", K::List, "", 0, {"a", "2", "x.y", "d", "A"}},
      {"{ 4d 5A\n  00 }", K::Binary, String("MZ\0", 3), 0, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    const TDescribedObject o =
        ParseDescription(String("object F: TF\n  X = ") + c.value + "\n  Y = 1\nend\n", "t");
    ASSERT_EQ(o.Properties.size(), 2u);
    const TPropValue& v = o.Properties[0].Value;
    EXPECT_EQ(v.kind, c.kind);
    if (c.kind != K::Set && c.kind != K::List) {
      EXPECT_EQ(v.s, c.s);
    }
    if (c.kind == K::Integer || c.kind == K::Float) {
      EXPECT_EQ(v.i, c.i);
    }
    EXPECT_EQ(v.items, c.items);
    // The next property's line counts every line the value spans.
    EXPECT_EQ(o.Properties[1].Line,
              3 + static_cast<int>(std::count(c.value, c.value + std::strlen(c.value), '\n')));
  }
}

TEST_F(FormLoader, ObjectsNestUpToTheLimit) {
  TDescribedObject o = ParseDescription(NestedObjects(256), "t");
  int levels = 1;
  for (const TDescribedObject* p = &o; !p->Children.empty(); p = &p->Children[0]) ++levels;
  EXPECT_EQ(levels, 256);
  EXPECT_THROW(ParseDescription(NestedObjects(257), "t"), Exception);
}

TEST_F(FormLoader, ParsesKeywordsNamesAndLines) {
  const TDescribedObject o = ParseDescription(
      "OBJECT Form9: TForm9 // the window\n"
      "  Caption = 'x'\n"
      "  Inherited Panel1: TPanel\n"
      "    endX = 1\n"
      "    inline TTimer\n"
      "    End\n"
      "  END\n"
      "  object Label1: TLabel\n"
      "    Left = 2 end\n"
      "end // no line end after this",
      "t");
  EXPECT_EQ(o.Name, "Form9");
  EXPECT_EQ(o.ClassName, "TForm9");
  ASSERT_EQ(o.Children.size(), 2u);
  const TDescribedObject& panel = o.Children[0];
  EXPECT_EQ(panel.Name, "Panel1");
  EXPECT_EQ(panel.Line, 3);
  ASSERT_EQ(panel.Properties.size(), 1u);
  EXPECT_EQ(panel.Properties[0].Name, "endX");  // a name that merely begins with a keyword
  EXPECT_EQ(panel.Properties[0].Line, 4);
  ASSERT_EQ(panel.Children.size(), 1u);
  EXPECT_EQ(panel.Children[0].Name, "");
  EXPECT_EQ(panel.Children[0].ClassName, "TTimer");
  EXPECT_EQ(panel.Children[0].Line, 5);
  EXPECT_EQ(o.Children[1].Name, "Label1");
  EXPECT_EQ(o.Children[1].Properties[0].Value.i, 2);
}

struct ErrorCase {
  const char* what;
  String text;
  std::vector<const char*> mustContain;
};

void PrintTo(const ErrorCase& C, std::ostream* Os) { *Os << C.what; }

class FormLoaderErrors : public FormLoader, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(FormLoaderErrors, NameTheWindowTheLineTheComponentAndTheProblem) {
  try {
    TForm9 f(GetParam().text);
    FAIL() << "no error raised";
  } catch (const Exception& e) {
    for (const char* part : GetParam().mustContain)
      EXPECT_NE(e.Message.find(part), String::npos) << e.Message;
  }
}

const ErrorCase kErrors[] = {
    {"unknown class",
     "object Form9: TForm9\n  object Button1: TButton\n  end\n  object Chart1: TNoSuchChart\n  "
     "end\nend\n",
     {"Unit9.form", "Form9", "line 4", "Chart1", "unknown class TNoSuchChart"}},
    {"unknown property",
     "object Form9: TForm9\n  object Button1: TButton\n    Captoin = 'x'\n  end\nend\n",
     {"Unit9.form", "line 3", "Button1", "unknown property 'Captoin' of TButton"}},
    {"unknown property of the window",
     "object Form9: TForm9\n  Colour = clRed\nend\n",
     {"line 2", "Form9", "unknown property 'Colour'"}},
    {"unknown handler",
     "object Form9: TForm9\n  object Button1: TButton\n    OnClick = Button9Click\n  end\nend\n",
     {"line 3", "Button1", "OnClick", "unknown event handler 'Button9Click'"}},
    {"handler with other parameters",
     "object Form9: TForm9\n  object Button1: TButton\n    OnClick = Edit1KeyPress\n  end\nend\n",
     {"line 3", "Button1", "Edit1KeyPress", "does not have the parameters of OnClick"}},
    {"unknown event",
     "object Form9: TForm9\n  object Timer1: TTimer\n    OnClick = Button1Click\n  end\nend\n",
     {"line 3", "Timer1", "unknown event 'OnClick' of TTimer"}},
    {"value of the wrong kind",
     "object Form9: TForm9\n  object Button1: TButton\n    Left = 'ten'\n  end\nend\n",
     {"line 3", "Button1", "Left", "integer value expected"}},
    {"unknown enumeration value",
     "object Form9: TForm9\n  Position = poNowhere\nend\n",
     {"line 2", "Position", "unknown value 'poNowhere'"}},
    {"unknown colour", "object Form9: TForm9\n  Color = clMauve\nend\n", {"line 2", "clMauve"}},
    {"duplicate name",
     "object Form9: TForm9\n  object Button1: TButton\n  end\n  object Button1: TEdit\n  "
     "end\nend\n",
     {"line 4", "Button1", "already exists"}},
    {"control inside a label",
     "object Form9: TForm9\n  object Label1: TLabel\n    object Button1: TButton\n    end\n  "
     "end\nend\n",
     {"line 3", "Label1 cannot hold other controls"}},
    {"missing end",
     "object Form9: TForm9\n  object Button1: TButton\n    Left = 1\nend\n",
     {"Unit9.form", "'end' missing", "'Form9'", "line 1"}},
    {"unterminated text",
     "object Form9: TForm9\n  Caption = 'abc\nend\n",
     {"line 2", "unterminated text"}},
    {"missing equals sign",
     "object Form9: TForm9\n  Caption 'abc'\nend\n",
     {"line 2", "'=' expected"}},
    {"bad binary data",
     "object Form9: TForm9\n  object Image1: TImage\n    Picture.Data = { 4D 4X }\n  end\nend\n",
     {"line 3", "'X' is not a hexadecimal digit"}},
    {"picture file missing",
     "object Form9: TForm9\n  object Image1: TImage\n    Picture.Data = file 'nowhere.jpg'\n  "
     "end\nend\n",
     {"line 3", "nowhere.jpg"}},
    {"damaged picture",
     "object Form9: TForm9\n  object Image1: TImage\n    Picture.Data = { 00 01 02 }\n  end\nend\n",
     {"line 3", "Image1", "Picture.Data"}},
    {"text after the end",
     "object Form9: TForm9\nend\nobject X: TButton\nend\n",
     {"line 3", "after the final 'end'"}},
    {"not a description", "Caption = 'x'\n", {"line 1", "must start with 'object'"}},
    {"lists nested without end",
     "object Form9: TForm9\n  Caption = " + String(30000, '(') + "\nend\n",
     {"Unit9.form", "line 2", "nested deeper than 256 levels"}},
    {"objects nested without end",
     NestedObjects(30000),
     {"Unit9.form", "line 257", "nested deeper than 256 levels"}},
};

INSTANTIATE_TEST_SUITE_P(Descriptions, FormLoaderErrors, ::testing::ValuesIn(kErrors));

TEST_F(FormLoader, BindingChecksTheNameAndTheClass) {
  TForm9 f("object Form9: TForm9\n  object Button1: TButton\n  end\nend\n");
  TEdit* asEdit = nullptr;
  try {
    f.Bind(asEdit, "Button1");
    FAIL();
  } catch (const EComponentError& e) {
    EXPECT_EQ(e.Message, "Form9: Button1 is a TButton, not a TEdit");
  }
  try {
    f.Bind(f.Button2, "Button2");
    FAIL();
  } catch (const EComponentError& e) {
    EXPECT_EQ(e.Message, "Form9: there is no component named Button2");
  }
  // Names are found without regard to case, as the toolkit compares them.
  TButton* b = nullptr;
  f.Bind(b, "button1");
  EXPECT_NE(b, nullptr);
}

// A window written with the list form of FormParts.h.
// clang-format off
#define PARTS_OF_FORM8(Controls, Handlers) \
  Controls(TButton, Button1, Button2)     \
  Controls(TEdit, Edit1)                  \
  Handlers(Button1Click, Edit1Change)
// clang-format on

class TForm8 : public TForm {
public:
  explicit TForm8(const String& Text) : TForm(nullptr) {
    KESTAL_REGISTER_HANDLERS(PARTS_OF_FORM8);
    LoadDescriptionText(Text, "Unit8.form");
    KESTAL_BIND_PARTS(PARTS_OF_FORM8);
  }
  KESTAL_DECLARE_PARTS(PARTS_OF_FORM8)
  int clicks = 0, changes = 0;
  void Button1Click(TObject*) { ++clicks; }
  void Edit1Change(TObject*) { ++changes; }
};

TEST_F(FormLoader, AListOfPartsDeclaresRegistersAndBinds) {
  const String body =
      "  object Button1: TButton\n    OnClick = Button1Click\n  end\n"
      "  object Button2: TButton\n  end\n";
  TForm8 f("object Form8: TForm8\n" + body +
           "  object Edit1: TEdit\n    OnChange = Edit1Change\n  end\nend\n");
  ASSERT_NE(f.Button1, nullptr);
  ASSERT_NE(f.Button2, nullptr);
  ASSERT_NE(f.Edit1, nullptr);
  f.Button1->Click();
  f.Edit1->SetText("x");
  EXPECT_EQ(f.clicks, 1);
  EXPECT_EQ(f.changes, 1);

  const struct {
    const char* tail;  // what follows the two buttons in the description
    const char* message;
  } errors[] = {
      {"  object Edit1: TLabel\n  end\nend\n", "Form8: Edit1 is a TLabel, not a TEdit"},
      {"end\n", "Form8: there is no component named Edit1"},
      {"  object Edit1: TEdit\n    OnChange = Edit9Change\n  end\nend\n",
       "unknown event handler 'Edit9Change'"},
  };
  for (const auto& e : errors) {
    try {
      TForm8 bad("object Form8: TForm8\n" + body + e.tail);
      ADD_FAILURE() << e.message;
    } catch (const Exception& x) {
      EXPECT_NE(x.Message.find(e.message), String::npos) << x.Message;
    }
  }
}

TEST_F(FormLoader, AMissingResourceIsAClearError) {
  TForm f(nullptr);
  try {
    f.LoadDescription("UnitNone");
    FAIL();
  } catch (const Exception& e) {
    EXPECT_NE(e.Message.find(":/UnitNone.form"), String::npos) << e.Message;
  }
}

}  // namespace
