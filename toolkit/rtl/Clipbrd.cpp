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

void TClipboard::SetFormats(const std::vector<TClipboardFormat>& Formats) {
  std::lock_guard<std::mutex> g(ProviderLock());
  if (!Provider().SetFormats) throw EClipboardException("The clipboard is not available");
  Provider().SetFormats(Formats);
}

bool TClipboard::HasFormat(const String& MediaType) const {
  std::lock_guard<std::mutex> g(ProviderLock());
  return Provider().HasFormat && Provider().HasFormat(MediaType);
}

String TClipboard::GetFormat(const String& MediaType) const {
  std::lock_guard<std::mutex> g(ProviderLock());
  return Provider().GetFormat ? Provider().GetFormat(MediaType) : String();
}

TClipboard* Clipboard() {
  static TClipboard clipboard;
  return &clipboard;
}

TClipboard::TProvider SetClipboardProvider(TClipboard::TProvider NewProvider) {
  std::lock_guard<std::mutex> g(ProviderLock());
  return std::exchange(Provider(), std::move(NewProvider));
}
