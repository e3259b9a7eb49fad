#include "DOV_filesys_savedlg.h"

#include "DOV_filesys.h"
#include "DOV_math1.h"
#include "DOV_streams.h"
#include "Dialogs.h"
#include "SysUtils.h"

namespace {

constexpr Integer ReplyOK = 1, ReplyCancel = 2, ReplyYes = 6, ReplyNo = 7;

// The "name|mask|name|mask" list of the filter attribute, complete pairs only.
std::vector<std::pair<String, String>> FilterPairs(const String& filter) {
  std::vector<std::pair<String, String>> pairs;
  TStrArray items;
  size_t from = 0;
  for (;;) {
    const size_t bar = filter.find('|', from);
    items.push_back(filter.substr(from, bar == String::npos ? String::npos : bar - from));
    if (bar == String::npos) break;
    from = bar + 1;
  }
  for (size_t i = 0; i + 1 < items.size(); i += 2) pairs.emplace_back(items[i], items[i + 1]);
  return pairs;
}

}  // namespace

String FileNameForFileType(const String& Mask, const String& TypedName) {
  const String ext = Mask.empty() ? String() : Mask.substr(1);
  if (ext == ".*" || TypedName.empty()) return "";
  return StripExtension(StripPath(TypedName)) + ext;
}

void TUnivSaveDialog::Fail(const String& Reason) const {
  throw ESDLFileSysError(ComponentErrorMessage(this, Reason));
}

String TUnivSaveDialog::ExtractParamAsString(const String& ParName) const {
  return ScanForXMLAttrib(Parameters, ParName);
}

Integer TUnivSaveDialog::ExtractParamAsInt(const String& ParName) const {
  const String v = ExtractParamAsString(ParName);
  if (v.empty()) Fail(ParName + " is not specified in property Parameters");
  Integer pos = 1;
  return ScanDecimal(v, pos);
}

Double TUnivSaveDialog::ExtractParamAsDouble(const String& ParName) const {
  const String v = ExtractParamAsString(ParName);
  if (v.empty()) Fail(ParName + " is not specified in property Parameters");
  Integer pos = 1;
  return ScanFPNum(v, true, dsBoth, pos);
}

Integer TUnivSaveDialog::RunStandardDialog() {
  const auto pairs = FilterPairs(ExtractParamAsString("filter"));
  TSaveDialogRequest r;
  for (const auto& [name, mask] : pairs)
    r.Filter += (r.Filter.empty() ? "" : "|") + name + "|" + mask;
  r.Title = ExtractParamAsString("caption");
  r.InitialDir = ExtractParamAsString("initialdir");
  r.FilterIndex = FilterIndex;
  r.FileName = FileName;
  r.OnTypeChange = [pairs](int index, const String& typed) {
    if (index < 1 || index > static_cast<int>(pairs.size())) return String();
    return FileNameForFileType(pairs[static_cast<size_t>(index - 1)].second, typed);
  };
  // Our dialogs report no error codes of their own: a dialog that cannot be shown is a
  // cancel.
  if (!DialogService().ExecuteSaveDialog(r)) return ReplyCancel;
  FileName = r.FileName;
  FilterIndex = r.FilterIndex;
  const String ext = ExtractParamAsString("ext");
  if (!ext.empty()) FileName = StripExtension(FileName) + "." + ext;
  return ReplyOK;
}

bool TUnivSaveDialog::Execute() {
  for (;;) {
    Integer reply = ReplyCancel;
    if (UseStandardDialog) {
      reply = RunStandardDialog();
    } else {
      if (!OnFileSelect) Fail("File select dialog is not assigned");
      OnFileSelect(this, Parameters, reply, FileName);
    }
    if (reply != ReplyOK) return false;

    const String folder = FileName.substr(0, FileName.size() - StripPath(FileName).size());
    const bool forbidden =
        !ForbiddenDir.empty() &&
        LowerCase(folder).compare(0, ForbiddenDir.size(), LowerCase(ForbiddenDir)) == 0;
    if (forbidden) {
      Integer answer = ReplyYes;
      if (OnForbiddenDir) OnForbiddenDir(this, folder, answer);
      if (answer == ReplyCancel) return false;
      if (answer != ReplyYes) continue;
    }

    bool exists = false;
    if (UseStandardDialog)
      exists = FileExists(FileName);
    else if (OnFileCheck)
      OnFileCheck(this, FileName, exists);
    if (!exists) return true;
    if (!OnOverwrite) Fail("Overwrite dialog is not assigned");
    Integer answer = ReplyNo;
    OnOverwrite(this, FileName, answer);
    if (answer == ReplyYes) return true;
    if (answer == ReplyCancel) return false;
    if (answer != ReplyNo) Fail("Invalid reply argument from overwrite dialog");
  }
}
