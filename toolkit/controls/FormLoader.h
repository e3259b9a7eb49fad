#pragma once
// Window descriptions: the text format and its loader.
//
// A description is one object with properties and nested objects:
//
//   object Form7: TForm7
//     Caption = 'Pulsar list'          // strings: 'single' ('' is a quote) or "double"
//     ClientWidth = 640                // integers (also $1F hex), floats 1.5, -2e-3
//     Position = poScreenCenter        // identifiers: True, False, clBtnFace, poScreenCenter
//     Font.Style = [fsBold, fsItalic]  // dotted names reach nested properties; sets in [ ]
//     object Panel1: TPanel
//       Left = 8
//       object Button1: TButton        // nested objects are placed on their parent control
//         Caption = "Close"
//         OnClick = Button1Click       // events name a handler of the window
//       end
//     end
//     object ListBox1: TListBox
//       Items.Strings = (
//         'first'
//         'second')                    // lists in ( )
//     end
//     object Image1: TImage
//       Picture.Data = file 'formula1.jpg'   // a picture file of the resources (or a path)
//       // or inline: Picture.Data = { FFD8FFE0 ... } (hexadecimal bytes, blanks ignored)
//     end
//   end
//
// Lists and nested values the toolkit's controls take:
//   Items.Strings = ( ... )        list box, combo box
//   Lines.Strings = ( ... )        memo
//   Columns.Captions = ( 'Date' 'Change' )   list view columns, with
//   Columns.Widths = ( 110 645 )  and  Columns.Alignments = ( taLeftJustify taRightJustify )
//   ColWidths = ( 64 80 ), RowHeights = ( ... ), Options = [goRowSelect, ...]   string grid
//   Picture.Data = { ... } or file '...'     image (JPEG, PNG or BMP bytes)
//   Font.Name, Font.Size, Font.Height, Font.Color, Font.Style = [fsBold]   any control
//
// Strings: single-quoted strings double an inner quote ('it''s') and may be joined with
// character codes and '+' ('line 1'#13#10'line 2' + 'more'); double-quoted strings take the
// escapes \" \\ \n \t \r. Comments run from // to the end of the line (outside strings).
//
// Loading: the window's own properties are set, each nested object is created through the
// class registry with the window as owner (and its enclosing control as parent), named,
// given its properties (SetDescribedProperty) and events (SetDescribedEvent, resolved through
// the window's handler table), and at the end every created component gets Loaded, in the
// order of the description, then the window itself. Every mistake raises an Exception whose
// message names the description, the line, the component and the problem:
//   "Unit7.form (Form7), line 12, Button1: unknown property 'Captoin' of TButton"

#include <vector>

#include "System.h"

class TForm;
class TComponent;

// One parsed object of a description.
struct TDescribedObject {
  String Name;
  String ClassName;
  int Line = 0;
  struct Property {
    String Name;
    TPropValue Value;
    int Line = 0;
  };
  std::vector<Property> Properties;
  std::vector<TDescribedObject> Children;
};

// Parses description text; Source names it in error messages. Raises Exception on a syntax
// error, which includes objects and lists nested deeper than 256 levels. A "file 'name'"
// value is read through ReadDescribedFile.
TDescribedObject ParseDescription(const String& Text, const String& Source);

// Reads a file named in a description: first the program's resources (":/name"), then the
// file system. Raises Exception when neither has it.
String ReadDescribedFile(const String& Name);

// Loads a parsed or textual description into Root (normally a window).
void LoadDescriptionInto(TComponent* Root, const TDescribedObject& Description,
                         const String& Source);
void LoadDescriptionInto(TComponent* Root, const String& Text, const String& Source);

// Registers every class of the toolkit's controls with the class registry (called by
// Application->Initialize and by tests; calling it twice is harmless).
void RegisterToolkitClasses();
