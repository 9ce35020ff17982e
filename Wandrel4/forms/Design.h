// A form's design table: what its window and controls look like when it loads.
#pragma once

#include <string>
#include <vector>

namespace forms {

enum class ControlKind { CommandButton, CheckBox, TextBox, Label };

struct ControlDesign {
  ControlKind kind;
  std::string name;
  int index;            // element of a control array, or -1 for a single control
  std::string caption;  // caption, or the text of a text box
  std::string accName;  // what a screen reader calls it, where the caption does not say; or ""
  int left, top, width, height;  // twips
  int tabIndex;
  bool enabled = true;
  int value = 0;  // check boxes: 0 unchecked, 1 checked, 2 grayed
};

struct FormDesign {
  std::string caption;
  int clientWidth, clientHeight;  // twips
  int iconResource;               // icon resource id in the executable, 0 for none
  std::vector<ControlDesign> controls;
};

}  // namespace forms
