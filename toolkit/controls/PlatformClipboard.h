#pragma once
// Makes the run-time's Clipboard() (Clipbrd.h) the window system's clipboard: text, and data
// by media type. Application->Initialize calls it; calling it again changes nothing.
void InstallPlatformClipboard();
