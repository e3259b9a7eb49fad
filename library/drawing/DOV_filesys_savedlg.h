#pragma once
// The file-system unit's save dialog. It lives with the drawing part of the library because it
// shows the toolkit's dialog (through the dialog service, so tests script it).

#include <functional>

#include "DOV_sdlbase.h"
#include "System.h"

// Modal results: 1 OK, 2 Cancel, 6 Yes, 7 No.
using TOnFileSelectEvent = std::function<void(TObject* Sender, const String& Parameters,
                                              Integer& UserAction, String& SelectedFileName)>;
using TOnFileCheckEvent =
    std::function<void(TObject* Sender, const String& FileName, bool& FileDoesExist)>;
using TOnOverwriteEvent =
    std::function<void(TObject* Sender, const String& FileName, Integer& OverwriteReply)>;
using TOnForbiddenDirEvent =
    std::function<void(TObject* Sender, const String& Path, Integer& ForbiddenDirReply)>;

// Asks for the name of a file to save: through the standard dialog set up from Parameters
// (attributes filter="name|mask|...", ext, caption, initialdir) or through OnFileSelect. It
// refuses folders below ForbiddenDir unless OnForbiddenDir says Yes, and asks OnOverwrite
// before an existing file is chosen. Errors raise ESDLFileSysError.
class TUnivSaveDialog : public TComponent {
public:
  explicit TUnivSaveDialog(TComponent* AOwner) : TComponent(AOwner) {}
  String ClassName() const override { return "TUnivSaveDialog"; }

  String Parameters;
  String FileName;
  bool UseStandardDialog = true;
  Integer FilterIndex = 1;
  String ForbiddenDir;
  TOnFileSelectEvent OnFileSelect;
  TOnFileCheckEvent OnFileCheck;
  TOnOverwriteEvent OnOverwrite;
  TOnForbiddenDirEvent OnForbiddenDir;

  // True when a name was chosen and accepted (then in FileName).
  bool Execute();
  String ExtractParamAsString(const String& ParName) const;
  // Raise ESDLFileSysError when the attribute is absent or empty.
  Integer ExtractParamAsInt(const String& ParName) const;
  Double ExtractParamAsDouble(const String& ParName) const;

private:
  Integer RunStandardDialog();
  [[noreturn]] void Fail(const String& Reason) const;
};

// The name the dialog offers after the user picked the file type of Mask: TypedName's name
// part with the mask's extension ("*.csv" turns "c:\x\data.txt" into "data.csv"); "" (no
// change) for the mask "*.*" or an empty name.
String FileNameForFileType(const String& Mask, const String& TypedName);
