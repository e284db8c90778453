#pragma once
// The point and range dialogs as plain objects (units P2dDlg, P3dDlg, paraDlg). The caller
// sets the values, shows the dialog through UserInterface::ShowModal and, when `done` says that
// Done closed it, takes the values (a dialog closed with its close button is a cancel). Shown() fills each
// field with "%2.1g" of its value; DonePressed() converts the fields in order with TextToReal, storing each
// value at once; on the first failure it shows "String to Float conversion Error! Try again!" and keeps the
// dialog open. A field whose text is still the one Shown() put there keeps its value exactly: the two-digit
// display of 123.4 (1.2E002) is no entry of 120.
#include <string>
#include <vector>

#include "platform/ui.hpp"
#include "util/numbers.hpp"

namespace varnel {

class TFormP2dDlg : public ModalDialog {
 public:
  explicit TFormP2dDlg(UserInterface& ui) : ui_(ui) {}
  std::string Caption() const override { return "2D-Point"; }
  std::string Heading() const override { return "New Point A(x,y):"; }
  std::vector<std::string> Labels() const override { return {"x", "y"}; }
  void Shown() override;
  bool DonePressed() override;
  double x = 0, y = 0;
  bool done = false;  // Done converted every field and closed the dialog

 private:
  UserInterface& ui_;
  std::vector<std::string> shownTexts_;
};

class TFormP3dDlg : public ModalDialog {
 public:
  explicit TFormP3dDlg(UserInterface& ui) : ui_(ui) {}
  std::string Caption() const override { return "3D-Point"; }
  std::string Heading() const override { return "New Point P(x,y,z):"; }
  std::vector<std::string> Labels() const override { return {"x", "y", "z"}; }
  void Shown() override;
  bool DonePressed() override;
  double x = 0, y = 0, z = 0;
  bool done = false;

 private:
  UserInterface& ui_;
  std::vector<std::string> shownTexts_;
};

// After a successful conversion also fills range with FillRange(start, stop, step); a step of
// zero or below is refused with a warning and the dialog stays open.
class TFormParaDlg : public ModalDialog {
 public:
  explicit TFormParaDlg(UserInterface& ui) : ui_(ui) {}
  std::string Caption() const override { return "Define Parameter"; }
  std::string Heading() const override { return "Select Range of the parameter to vary:"; }
  std::vector<std::string> Labels() const override { return {"Start", "Stop", "Step"}; }
  void Shown() override;
  bool DonePressed() override;
  double start = 0, stop = 0, step = 0;
  RealList range;
  bool done = false;

 private:
  UserInterface& ui_;
  std::vector<std::string> shownTexts_;
};

}  // namespace varnel
