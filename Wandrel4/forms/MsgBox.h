// The one way the program shows a modal message box, so that tests can replace it.
#pragma once

#include <string>

namespace forms {

// Shows text with an OK button only and no icon. An empty title stands for the
// application's title.
void MsgBox(const std::string& text, const std::string& title = {});

// Replaces the function that shows message boxes (nullptr restores the real one) and
// returns the previous one.
using MsgBoxFn = void (*)(const std::string& text, const std::string& title);
MsgBoxFn SetMsgBoxFn(MsgBoxFn fn);

// The application's title, used for boxes without a title of their own.
void SetAppTitle(const std::string& title);
const std::string& AppTitle();

}  // namespace forms
