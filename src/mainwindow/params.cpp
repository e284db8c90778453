// Parameter commands: the point dialogs, the fixed points, the normalisation power, the five
// inquiry commands and Show Parameters. Every typed number goes through TextToReal (the
// segment number through TextToInt), so it must use DecimalSeparator.
#include <string>

#include "mainwindow/VarnelU.hpp"
#include "util/errors.hpp"
#include "util/format.hpp"
#include "util/messages.hpp"

namespace varnel {

namespace {

constexpr const char* kInquiryCaption = "Inquiry";
constexpr const char* kNoValidHeight = "No valid height. Abort command!";
constexpr const char* kNoValidRadius = "No valid radius. Abort command!";

std::string PointText(const Point3D& p) { return Format("(%2.1f|%2.1f|%2.1f)", {p.x, p.y, p.z}); }
std::string PointText(const Point2D& a) { return Format("(%2.1f|%2.1f)", {a.x, a.y}); }

// Asks for a real with the prefill "%1.0f" of the current value; stores it only when OK was
// pressed and the text converts, otherwise shows the warning and leaves the value. The prefill
// confirmed unchanged keeps the value exactly (2.4 shows as 2 and stays 2.4).
void InquireReal(UserInterface& ui, const std::string& prompt, const char* warning, double& value) {
  const std::string prefill = FormatReal("%1.0f", value);
  if (auto answer = AskReal(ui, {kInquiryCaption, prompt, prefill, warning, false, value})) value = *answer;
}

}  // namespace

void TForm1::ShowPointFields() {
  EditPoint.text = PointText(params.p);
  EditPointA.text = PointText(params.a);
  EditNormalizePower.text = FormatReal("%1.2f W", params.normalizePower);
}

// ---- Points -----------------------------------------------------------------------------

void TForm1::EditPointDblClick() {
  TFormP3dDlg dialog(platform.ui);
  dialog.x = params.p.x;
  dialog.y = params.p.y;
  dialog.z = params.p.z;
  platform.ui.ShowModal(dialog);
  // Closed without a Done that took every field: a cancel, even after a Done that failed
  // half-way, changes nothing.
  if (!dialog.done) return;
  params.p = MakePoint3D(dialog.x, dialog.y, dialog.z);
  EditPoint.text = PointText(params.p);
}

void TForm1::EditPointADblClick() {
  TFormP2dDlg dialog(platform.ui);
  dialog.x = params.a.x;
  dialog.y = params.a.y;
  platform.ui.ShowModal(dialog);
  if (!dialog.done) return;
  params.a = MakePoint2D(dialog.x, dialog.y);
  EditPointA.text = PointText(params.a);
}

// The four points of EditPoint's context menu: (x, 0, 1).
void TForm1::PresetPointP(double x) {
  params.p = MakePoint3D(x, 0, 1);
  EditPoint.text = PointText(params.p);
}

void TForm1::Point1Click() { PresetPointP(1); }
void TForm1::Point2Click() { PresetPointP(3); }
void TForm1::Ponit3Click() { PresetPointP(10); }
void TForm1::Point4Click() { PresetPointP(30); }

// ---- Normalisation power ------------------------------------------------------------------

void TForm1::EditNormalizePowerDblClick() {
  // The box always offers "1". Cancel changes nothing; an entry that is no number is refused
  // with a warning and changes nothing either.
  const auto value =
      AskReal(platform.ui, {.caption = "Normalize Power",
                            .prompt = "Please enter Power [W] to which Field Strengths shall be normalized.",
                            .prefill = "1",
                            .cancelQuiet = true});
  if (!value) return;
  params.normalizePower = *value;
  EditNormalizePower.text = FormatReal("%1.2f W", *value);
}

// ---- Inquiry commands ---------------------------------------------------------------------

void TForm1::MIChangemaxHeightClick() {
  InquireReal(platform.ui, "Please enter maxHeight", kNoValidHeight, params.maxHeight);
}

void TForm1::MIChangeAnalysingSegmentClick() {
  if (auto segment = AskInteger(platform.ui, {kInquiryCaption, "Please enter Segment Number to analyse",
                                              FormatInt("%1d", params.AnalyseSegment), kNoValidHeight}))
    params.AnalyseSegment = *segment;
}

void TForm1::MIChangeAnalysingResistanceClick() {
  InquireReal(platform.ui, "Please enter Resistance for current analysation", kNoValidHeight,
              params.AnalysingResistance);
}

void TForm1::MIEditrCircleClick() {
  InquireReal(platform.ui, "Enter new value for rCircle", kNoValidRadius, params.rCircle);
}

void TForm1::MIEditrCylinderClick() {
  InquireReal(platform.ui, "Enter new value for rCylinder", kNoValidRadius, params.rCylinder);
}

// ---- Show Parameters ----------------------------------------------------------------------

void TForm1::MIShowsomeParametersClick() {
  const WorkingParameters& w = params;
  ClearPane(Mout);
  AddLine(Mout, "------- Some Parameters ------");
  AddLine(Mout, FormatReal("maxHeight...........: %3.1f ", w.maxHeight));
  AddLine(Mout, Format("p...................: (%3.1f;%3.1f;%3.1f) ", {w.p.x, w.p.y, w.p.z}));
  AddLine(Mout, Format("a...................: (%3.1f;%3.1f) ", {w.a.x, w.a.y}));
  AddLine(Mout, FormatReal("py..................: %3.1f ", w.py));
  AddLine(Mout, FormatReal("rCircle.............: %3.1f ", w.rCircle));
  AddLine(Mout, FormatReal("rCylinder...........: %3.1f ", w.rCylinder));
  AddLine(Mout, FormatReal("normalizePower......: %3.1f ", w.normalizePower));
  AddLine(Mout, FormatInt("AnalyseSegment......: %1d   ", w.AnalyseSegment));
  AddLine(Mout, FormatReal("AnalysingResistance.: %1.0f ", w.AnalysingResistance));
  AddLine(Mout, Format("EngineName..........: %3s   ", {w.EngineName}));
  AddLine(Mout, FormatInt("ParallelRuns........: %1d   ", w.EngineJobs));
  AddLine(Mout, w.EngineTimeLimitMinutes > 0
                    ? FormatReal("TimeLimitPerDeck....: %g min ", w.EngineTimeLimitMinutes)
                    : std::string("TimeLimitPerDeck....: none "));
  AddLine(Mout, "----- Some Parameters End-----");
}

}  // namespace varnel
