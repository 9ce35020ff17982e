#include "forms/MessageFilter.h"

#include "SystemFunction.h"

namespace forms {
namespace {

MessageFilterFn SystemFilter() {
  return common::SystemFunction<BOOL WINAPI(HWND, UINT, DWORD, void*)>(
      L"user32.dll", "ChangeWindowMessageFilterEx");
}

// Process-wide by nature, like the system function it stands for.
MessageFilterFn g_messageFilter = SystemFilter();

}  // namespace

void AllowMessageFromLowerIntegrity(HWND window, UINT message) {
  if (g_messageFilter) g_messageFilter(window, message, 1 /* MSGFLT_ALLOW */, nullptr);
}

MessageFilterFn SetMessageFilterFn(MessageFilterFn fn) {
  MessageFilterFn previous = g_messageFilter;
  g_messageFilter = fn ? fn : SystemFilter();
  return previous;
}

}  // namespace forms
