#include "Clipbrd.h"

#include <mutex>
#include <utility>

namespace {
std::mutex& ProviderLock() {
  static std::mutex m;
  return m;
}
TClipboard::TProvider& Provider() {
  static TClipboard::TProvider p;
  return p;
}
}  // namespace

bool TClipboard::HasText() const {
  std::lock_guard<std::mutex> g(ProviderLock());
  return Provider().HasText && Provider().HasText();
}

String TClipboard::AsText() const {
  std::lock_guard<std::mutex> g(ProviderLock());
  return Provider().GetText ? Provider().GetText() : String();
}

void TClipboard::SetAsText(const String& Text) {
  std::lock_guard<std::mutex> g(ProviderLock());
  if (Provider().SetText) Provider().SetText(Text);
}

TClipboard* Clipboard() {
  static TClipboard clipboard;
  return &clipboard;
}

TClipboard::TProvider SetClipboardProvider(TClipboard::TProvider NewProvider) {
  std::lock_guard<std::mutex> g(ProviderLock());
  return std::exchange(Provider(), std::move(NewProvider));
}
