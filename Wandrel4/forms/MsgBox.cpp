#include "forms/MsgBox.h"

#include <windows.h>

namespace forms {
namespace {

void RealMsgBox(const std::string& text, const std::string& title) {
  MessageBoxA(nullptr, text.c_str(), title.c_str(), MB_OK | MB_TASKMODAL);
}

// The replaceable message box and the application's title: process-wide by nature.
MsgBoxFn g_msgBox = RealMsgBox;
std::string g_appTitle = "Wandrel4";

}  // namespace

void MsgBox(const std::string& text, const std::string& title) {
  g_msgBox(text, title.empty() ? g_appTitle : title);
}

MsgBoxFn SetMsgBoxFn(MsgBoxFn fn) {
  MsgBoxFn previous = g_msgBox;
  g_msgBox = fn ? fn : RealMsgBox;
  return previous;
}

void SetAppTitle(const std::string& title) { g_appTitle = title; }
const std::string& AppTitle() { return g_appTitle; }

}  // namespace forms
