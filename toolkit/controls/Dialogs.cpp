#include "Dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "ControlsQt.h"
#include "Forms.h"

namespace {

// The real dialogs.
class TQtDialogService : public TDialogService {
public:
  int ShowMessageBox(const TMessageBoxRequest& R) override {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
      return R.DefaultButton;
    QMessageBox box;
    box.setWindowTitle(QStr(R.Title));
    box.setText(QStr(R.Text));
    box.setTextFormat(Qt::PlainText);
    switch (R.Icon) {
      case mtWarning: box.setIcon(QMessageBox::Warning); break;
      case mtError: box.setIcon(QMessageBox::Critical); break;
      case mtInformation: box.setIcon(QMessageBox::Information); break;
      case mtConfirmation: box.setIcon(QMessageBox::Question); break;
      default: box.setIcon(QMessageBox::NoIcon); break;
    }
    std::vector<std::pair<QAbstractButton*, int>> buttons;
    for (int code : R.Buttons) {
      QMessageBox::StandardButton sb = QMessageBox::Ok;
      switch (code) {
        case IDOK: sb = QMessageBox::Ok; break;
        case IDCANCEL: sb = QMessageBox::Cancel; break;
        case IDABORT: sb = QMessageBox::Abort; break;
        case IDRETRY: sb = QMessageBox::Retry; break;
        case IDIGNORE: sb = QMessageBox::Ignore; break;
        case IDYES: sb = QMessageBox::Yes; break;
        case IDNO: sb = QMessageBox::No; break;
        default: break;
      }
      QAbstractButton* b = box.addButton(sb);
      buttons.emplace_back(b, code);
      if (code == R.DefaultButton) box.setDefaultButton(static_cast<QPushButton*>(b));
    }
    // Closing the box counts as Cancel when there is one, else as the default button.
    int escape = R.DefaultButton;
    for (const auto& b : buttons)
      if (b.second == IDCANCEL) {
        box.setEscapeButton(b.first);
        escape = IDCANCEL;
      }
    box.exec();
    for (const auto& b : buttons)
      if (box.clickedButton() == b.first) return b.second;
    return escape;
  }

  bool ExecuteSaveDialog(TSaveDialogRequest& R) override {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) return false;
    // "Text (*.txt)|*.txt|All|*.*" -> Qt's "Text (*.txt) (*.txt);;All (*.*)".
    QStringList filters;
    QStringList parts = QStr(R.Filter).split(QLatin1Char('|'));
    for (int i = 0; i + 1 < parts.size(); i += 2)
      filters << parts[i] + QStringLiteral(" (") +
                     QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' ')) +
                     QStringLiteral(")");
    QFileDialog dlg(nullptr, QStr(R.Title), QStr(R.InitialDir));
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    if (!filters.isEmpty()) {
      dlg.setNameFilters(filters);
      const int idx = std::clamp(R.FilterIndex, 1, static_cast<int>(filters.size())) - 1;
      dlg.selectNameFilter(filters[idx]);
    }
    if (!R.FileName.empty()) dlg.selectFile(QStr(R.FileName));
    if (R.OnTypeChange) {
      // Qt's own dialog, whose name field can be read while the user changes the type.
      dlg.setOption(QFileDialog::DontUseNativeDialog);
      QObject::connect(&dlg, &QFileDialog::filterSelected, &dlg, [&](const QString& filter) {
        auto* edit = dlg.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        const String typed = edit != nullptr ? FromQStr(edit->text())
                             : dlg.selectedFiles().isEmpty()
                                 ? String()
                                 : FromQStr(dlg.selectedFiles().first());
        const String renamed = R.OnTypeChange(static_cast<int>(filters.indexOf(filter)) + 1, typed);
        if (!renamed.empty()) dlg.selectFile(QStr(renamed));
      });
    }
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return false;
    R.FileName = FromQStr(dlg.selectedFiles().first());
    const int chosen = static_cast<int>(filters.indexOf(dlg.selectedNameFilter()));
    if (chosen >= 0) R.FilterIndex = chosen + 1;
    return true;
  }
};

std::shared_ptr<TDialogService>& Current() {
  static std::shared_ptr<TDialogService> service = std::make_shared<TQtDialogService>();
  return service;
}

std::vector<int> ButtonsOf(unsigned Flags) {
  switch (Flags & 0xF) {
    case MB_OKCANCEL: return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE: return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL: return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO: return {IDYES, IDNO};
    case MB_RETRYCANCEL: return {IDRETRY, IDCANCEL};
    default: return {IDOK};
  }
}

TMsgDlgType IconOf(unsigned Flags) {
  switch (Flags & 0xF0) {
    case MB_ICONERROR: return mtError;
    case MB_ICONQUESTION: return mtConfirmation;
    case MB_ICONWARNING: return mtWarning;
    case MB_ICONINFORMATION: return mtInformation;
    default: return mtCustom;
  }
}

String AppTitle() { return Application != nullptr ? Application->Title() : String(); }

}  // namespace

TDialogService& DialogService() { return *Current(); }

std::shared_ptr<TDialogService> SetDialogService(std::shared_ptr<TDialogService> Service) {
  std::shared_ptr<TDialogService> previous = Current();
  Current() = Service ? std::move(Service) : std::make_shared<TQtDialogService>();
  return previous;
}

// ---- scripted service --------------------------------------------------------------------
int TScriptedDialogService::ShowMessageBox(const TMessageBoxRequest& Request) {
  Record r;
  r.Box = Request;
  Records.push_back(r);
  if (OnBox) OnBox(Request);
  if (FAnswers.empty()) return Request.DefaultButton;
  const int a = FAnswers.front();
  FAnswers.pop_front();
  return a;
}

bool TScriptedDialogService::ExecuteSaveDialog(TSaveDialogRequest& Request) {
  Record r;
  r.IsSaveDialog = true;
  r.Save = Request;
  Records.push_back(r);
  if (FSaveAnswers.empty()) return false;
  auto a = FSaveAnswers.front();
  FSaveAnswers.pop_front();
  if (!a.first) return false;
  Request.FileName = *a.first;
  if (a.second > 0) Request.FilterIndex = a.second;
  return true;
}

std::vector<TMessageBoxRequest> TScriptedDialogService::Boxes() const {
  std::vector<TMessageBoxRequest> out;
  for (const Record& r : Records)
    if (!r.IsSaveDialog) out.push_back(r.Box);
  return out;
}

TScopedDialogScript::TScopedDialogScript() : FService(std::make_shared<TScriptedDialogService>()) {
  FPrevious = SetDialogService(FService);
}

TScopedDialogScript::~TScopedDialogScript() { SetDialogService(FPrevious); }

// ---- the boxes ---------------------------------------------------------------------------
void ShowMessage(const String& Text) {
  TMessageBoxRequest r;
  r.Kind = TDialogKind::Message;
  r.Title = AppTitle();
  r.Text = Text;
  r.Buttons = {IDOK};
  r.DefaultButton = IDOK;
  DialogService().ShowMessageBox(r);
}

void ShowErrorBox(const String& Text) {
  TMessageBoxRequest r;
  r.Kind = TDialogKind::Error;
  r.Title = AppTitle();
  r.Text = Text;
  r.Buttons = {IDOK};
  r.DefaultButton = IDOK;
  r.Icon = mtError;
  DialogService().ShowMessageBox(r);
}

int MessageBox(const String& Text, const String& Caption, unsigned Flags) {
  TMessageBoxRequest r;
  r.Kind = TDialogKind::MessageBox;
  r.Title = Caption;
  r.Text = Text;
  r.Buttons = ButtonsOf(Flags);
  const size_t def = (Flags & MB_DEFBUTTON3) ? 2 : (Flags & MB_DEFBUTTON2) ? 1 : 0;
  r.DefaultButton = r.Buttons[std::min(def, r.Buttons.size() - 1)];
  r.Icon = IconOf(Flags);
  return DialogService().ShowMessageBox(r);
}

static int ShowDlg(const String& Text, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int Default) {
  TMessageBoxRequest r;
  r.Kind = TDialogKind::MessageBox;
  r.Title = AppTitle();
  r.Text = Text;
  r.Icon = DlgType;
  static const std::pair<TMsgDlgBtn, int> order[] = {
      {mbYes, IDYES},     {mbNo, IDNO},       {mbOK, IDOK},        {mbCancel, IDCANCEL},
      {mbAbort, IDABORT}, {mbRetry, IDRETRY}, {mbIgnore, IDIGNORE}};
  for (const auto& o : order)
    if (Buttons & o.first) r.Buttons.push_back(o.second);
  if (r.Buttons.empty()) r.Buttons.push_back(IDOK);
  r.DefaultButton = r.Buttons.front();
  for (int b : r.Buttons)
    if (b == Default) r.DefaultButton = b;
  return DialogService().ShowMessageBox(r);
}

int MessageDlg(const String& Text, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx) {
  return ShowDlg(Text, DlgType, Buttons, 0);
}

int MessageDlg(const String& Text, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx,
               TMsgDlgBtn DefaultButton) {
  static const std::pair<TMsgDlgBtn, int> codes[] = {
      {mbYes, IDYES},     {mbNo, IDNO},       {mbOK, IDOK},        {mbCancel, IDCANCEL},
      {mbAbort, IDABORT}, {mbRetry, IDRETRY}, {mbIgnore, IDIGNORE}};
  int def = 0;
  for (const auto& c : codes)
    if (c.first == DefaultButton) def = c.second;
  return ShowDlg(Text, DlgType, Buttons, def);
}

// ---- TSaveDialog -------------------------------------------------------------------------
bool TSaveDialog::Execute() {
  TSaveDialogRequest r;
  r.Title = Title;
  r.Filter = Filter;
  r.FilterIndex = FilterIndex;
  r.FileName = FileName;
  r.InitialDir = InitialDir;
  r.DefaultExt = DefaultExt;
  if (!DialogService().ExecuteSaveDialog(r)) return false;
  String name = r.FileName;
  if (!DefaultExt.empty()) {
    const size_t slash = name.find_last_of('/');
    const String base = slash == String::npos ? name : name.substr(slash + 1);
    if (base.find('.') == String::npos) name += (DefaultExt[0] == '.' ? "" : ".") + DefaultExt;
  }
  FileName = name;
  FilterIndex = r.FilterIndex;
  return true;
}

bool TSaveDialog::SetDescribedProperty(const String& Prop, const TPropValue& Value) {
  if (Prop == "Title")
    Title = Value.AsString();
  else if (Prop == "Filter")
    Filter = Value.AsString();
  else if (Prop == "FilterIndex")
    FilterIndex = static_cast<int>(Value.AsInteger());
  else if (Prop == "FileName")
    FileName = Value.AsString();
  else if (Prop == "InitialDir")
    InitialDir = Value.AsString();
  else if (Prop == "DefaultExt")
    DefaultExt = Value.AsString();
  else
    return TComponent::SetDescribedProperty(Prop, Value);
  return true;
}
