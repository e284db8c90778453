// Parameter commands, the point and range dialogs, Show Parameters.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "mainwindow/VarnelU.hpp"
#include "mainwindow/window_fixture.hpp"
#include "platform/scripted/runner.hpp"
#include "support/scoped_settings.hpp"
#include "support/test_root.hpp"

namespace varnel {

namespace {

class ParamsTest : public WindowTest {
 protected:
  SeparatorGuard separator{','};
};

// ---- Show Parameters -------------------------------------------------------------------

// What Show Parameters lists right after the start.
std::vector<std::string> DefaultParameterLines() {
  return {"------- Some Parameters ------",
          "maxHeight...........: 1000,0 ",
          "p...................: (10,0;0,0;4,0) ",
          "a...................: (10,0;0,0) ",
          "py..................: 10,0 ",
          "rCircle.............: 10,0 ",
          "rCylinder...........: 10,0 ",
          "normalizePower......: 1,0 ",
          "AnalyseSegment......: 1   ",
          "AnalysingResistance.: 50 ",
          "EngineName..........: c:\\4nec2\\exe\\nec2dxs1k5.exe   ",
          "ParallelRuns........: " + std::to_string(MostParallelRuns()) + "   ",
          "TimeLimitPerDeck....: none ",
          "----- Some Parameters End-----"};
}

TEST_F(ParamsTest, ShowParametersListsTheValuesAsTheyAre) {
  // The defaults are listed on the runner's road (ParamsRunner below). Show Parameters clears the
  // Info pane first and lists the values as they are now.
  AddLine(form.Mout, "old line");
  form.params.EngineJobs = 3;
  form.params.EngineTimeLimitMinutes = 2.5;
  form.Ponit3Click();
  form.MIShowsomeParametersClick();
  ASSERT_EQ(14u, form.Mout.lines.size());
  EXPECT_EQ("------- Some Parameters ------", form.Mout.lines.front());
  EXPECT_EQ("p...................: (10,0;0,0;1,0) ", form.Mout.lines[2]);
  EXPECT_EQ("ParallelRuns........: 3   ", form.Mout.lines[11]);
  EXPECT_EQ("TimeLimitPerDeck....: 2,5 min ", form.Mout.lines[12]);
}

// ---- Fixed points ------------------------------------------------------------------------

TEST_F(ParamsTest, FixedPointsSetPAndItsField) {
  struct Case {
    void (TForm1::*command)();
    double x;
    std::string field;
  };
  const Case cases[] = {{&TForm1::Point1Click, 1, "(1,0|0,0|1,0)"},
                        {&TForm1::Point2Click, 3, "(3,0|0,0|1,0)"},
                        {&TForm1::Ponit3Click, 10, "(10,0|0,0|1,0)"},
                        {&TForm1::Point4Click, 30, "(30,0|0,0|1,0)"}};
  for (const Case& c : cases) {
    (form.*c.command)();
    EXPECT_EQ(c.x, form.params.p.x);
    EXPECT_EQ(0.0, form.params.p.y);
    EXPECT_EQ(1.0, form.params.p.z);
    EXPECT_EQ(c.field, form.EditPoint.text);
  }
}

// ---- Point dialogs ---------------------------------------------------------------------------

// A point dialog shows each value to two significant digits; Done keeps a field left as shown at
// its exact value, takes an edited one as typed, and at a field that is no number warns, keeps
// the fields before it and stays open.
TEST_F(ParamsTest, PointDialogsShowTwoDigitsAndDoneKeepsTheFieldsLeftAsShown) {
  struct Case {
    std::vector<double> start;
    std::vector<std::string> shown;  // none: the fields typed without the dialog shown
    std::vector<std::string> typed;  // the texts at Done; none: as shown
    bool done;
    std::vector<double> values;
  };
  const Case cases[] = {
      {{10, 4, 12.34}, {"10", " 4", "12"}, {}, true, {10, 4, 12.34}},
      {{123.4, 0}, {"1,2E002", " 0"}, {}, true, {123.4, 0}},
      {{123.4, 0.25, 4.06}, {"1,2E002", "0,25", "4,1"}, {}, true, {123.4, 0.25, 4.06}},  // not 120
      {{123.4, 0.25, 4.06}, {"1,2E002", "0,25", "4,1"}, {"1,2E002", "0,5", "4,1"}, true, {123.4, 0.5, 4.06}},
      {{1, 2, 3}, {}, {"2,5", "abc", "7"}, false, {2.5, 2, 3}},  // 7 after the bad field is not taken
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.start[0]);
    TFormP2dDlg two(ui);
    TFormP3dDlg three(ui);
    const bool is2d = c.start.size() == 2;
    ModalDialog& dialog = is2d ? static_cast<ModalDialog&>(two) : three;
    const std::vector<double*> values =
        is2d ? std::vector<double*>{&two.x, &two.y} : std::vector<double*>{&three.x, &three.y, &three.z};
    for (std::size_t i = 0; i < values.size(); ++i) *values[i] = c.start[i];
    if (!c.shown.empty()) {
      dialog.Shown();
      EXPECT_EQ(c.shown, dialog.fieldTexts);
    }
    if (!c.typed.empty()) dialog.fieldTexts = c.typed;
    EXPECT_EQ(c.done, dialog.DonePressed());
    for (std::size_t i = 0; i < values.size(); ++i) EXPECT_EQ(c.values[i], *values[i]) << "field " << i;
  }
  EXPECT_EQ(1, ui.Warnings());
  EXPECT_TRUE(ui.Warned("String to Float conversion Error! Try again!")) << out.str();
}

// Good entries are taken. The close button is a cancel: the part a failed Done converted is not
// taken, and a dialog closed unanswered keeps the point.
TEST_F(ParamsTest, PointDialogsTakeGoodEntriesAndChangeNothingWhenClosed) {
  struct Case {
    bool pointA;
    std::optional<std::vector<std::string>> answer;  // none: closed with the close button
    std::vector<double> point;
    const char* field;
    int warnings;
  } cases[] = {
      {false, {{"2,5", "abc", "9"}}, {10, 0, 4}, "(10,0|0,0|4,0)", 1},
      {true, {{"2,5", "abc"}}, {10, 0}, "(10,0|0,0)", 1},
      {true, std::nullopt, {10, 0}, "(10,0|0,0)", 0},
      {false, {{"1,5", "-2", "3E1"}}, {1.5, -2, 30}, "(1,5|-2,0|30,0)", 0},
      {true, {{"3", "4,25"}}, {3, 4.25}, "(3,0|4,3)", 0},
      // Done on the texts shown leaves P and A as they were.
      {false, {{"123,4", "0,25", "4,06"}}, {123.4, 0.25, 4.06}, "(123,4|0,3|4,1)", 0},
      {false, {{"1,2E002", "0,25", "4,1"}}, {123.4, 0.25, 4.06}, "(123,4|0,3|4,1)", 0},
      {true, {{"12,34", "-0,5"}}, {12.34, -0.5}, "(12,3|-0,5)", 0},
      {true, {{"12", "-0,5"}}, {12.34, -0.5}, "(12,3|-0,5)", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.field);
    const int before = ui.Warnings();
    if (c.answer) ui.AnswerPoint(*c.answer);
    c.pointA ? form.EditPointADblClick() : form.EditPointDblClick();
    const Point3D& p = form.params.p;
    const std::vector<double> point =
        c.pointA ? std::vector<double>{form.params.a.x, form.params.a.y} : std::vector<double>{p.x, p.y, p.z};
    EXPECT_EQ(c.point, point);
    EXPECT_EQ(c.field, (c.pointA ? form.EditPointA : form.EditPoint).text);
    EXPECT_EQ(c.warnings, ui.Warnings() - before);
  }
  EXPECT_TRUE(ui.Warned("String to Float conversion Error! Try again!")) << out.str();
}

// ---- Range dialog ----------------------------------------------------------------------------

// Done fills the range; a field that is no number warns as the point dialogs do, and a step that
// never reaches Stop is refused: neither fills the range.
TEST_F(ParamsTest, RangeDialogFillsTheRangeOrWarnsAndRefuses) {
  struct Case {
    std::vector<std::string> texts;
    double start;
    RealList range;
    const char* warning;  // "" for none
  };
  const Case cases[] = {
      {{"1", "2", "0,5"}, 1, {1.0, 1.5, 2.0}, ""},
      {{"1", "x", "1"}, 1, {42.0}, "String to Float conversion Error! Try again!"},
      {{"1", "5", "0"}, 1, {42.0}, "Try again!"},
      {{"1", "5", "-1"}, 1, {42.0}, "Try again!"},
      {{"1E20", "2E20", "1"}, 1e20, {42.0}, "Try again!"},
      {{"0", "1E12", "0,001"}, 0, {42.0}, "Try again!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.texts[1] + " step " + c.texts[2]);
    TFormParaDlg dialog(ui);
    dialog.range = {42.0};
    dialog.fieldTexts = c.texts;
    const std::size_t before = ui.messages.size();
    EXPECT_EQ(!*c.warning, dialog.DonePressed());
    EXPECT_EQ(c.range, dialog.range) << "a refused range must not be filled";
    EXPECT_EQ(c.start, dialog.start);
    if (!*c.warning) {
      EXPECT_EQ(0.5, dialog.step);
      continue;
    }
    ASSERT_EQ(before + 1, ui.messages.size());
    const std::string& warning = ui.messages.back();
    EXPECT_EQ(0u, warning.rfind("[Warning] ", 0)) << warning;
    EXPECT_NE(std::string::npos, warning.find(c.warning)) << warning;
  }
  EXPECT_TRUE(ui.Warned("String to Float conversion Error! Try again!"));
}

// ---- Normalisation power ------------------------------------------------------------------

TEST_F(ParamsTest, NormalizePowerEntries) {
  struct Case {
    std::optional<std::string> answer;
    double value;
    std::string field;
    int warnings;
  };
  // Cancel and an entry that is no number change nothing; only the bad entry warns.
  const Case cases[] = {{"10", 10.0, "10,00 W", 0},
                        {"abc", 5.0, "5,00 W", 1},
                        {std::nullopt, 5.0, "5,00 W", 0},
                        {"0,25", 0.25, "0,25 W", 0}};
  for (const Case& c : cases) {
    form.params.normalizePower = 5;
    form.EditNormalizePower.text = "5,00 W";
    const int before = ui.Warnings();
    ui.AnswerAsk(c.answer);
    form.EditNormalizePowerDblClick();
    EXPECT_EQ(c.value, form.params.normalizePower) << c.answer.value_or("<cancel>");
    EXPECT_EQ(c.field, form.EditNormalizePower.text) << c.answer.value_or("<cancel>");
    EXPECT_EQ(c.warnings, ui.Warnings() - before) << c.answer.value_or("<cancel>");
  }
  EXPECT_TRUE(ui.Warned("No valid number. Abort command!"));
  ASSERT_FALSE(ui.asks.empty());
  EXPECT_EQ("Normalize Power", ui.asks[0].caption);
  EXPECT_EQ("Please enter Power [W] to which Field Strengths shall be normalized.", ui.asks[0].prompt);
  EXPECT_EQ("1", ui.asks[0].offered) << "the box offers 1, not the current value";
}

// ---- Inquiry commands ------------------------------------------------------------------------

// Each inquiry asks with its prompt, offering its value rounded, and stores a good entry without a
// range check; the offered text confirmed unchanged keeps a fraction exactly. A cancel or a bad
// entry (for the segment number also a fraction) warns and keeps the value.
TEST_F(ParamsTest, InquiriesOfferTheRoundedValueStoreAGoodEntryAndWarnOnABadOne) {
  struct Inquiry {
    const char* name;
    void (TForm1::*command)();
    double WorkingParameters::*value;  // none: the segment number
    std::string prompt, warning;
    double start;
    std::string offered, answer;
    double stored;
  };
  const Inquiry inquiries[] = {
      {"maxHeight", &TForm1::MIChangemaxHeightClick, &WorkingParameters::maxHeight, "Please enter maxHeight",
       "No valid height. Abort command!", 2.4, "2", "-12,5", -12.5},
      {"AnalyseSegment", &TForm1::MIChangeAnalysingSegmentClick, nullptr,
       "Please enter Segment Number to analyse", "No valid height. Abort command!", 7, "7", "-3", -3},
      {"AnalysingResistance", &TForm1::MIChangeAnalysingResistanceClick,
       &WorkingParameters::AnalysingResistance, "Please enter Resistance for current analysation",
       "No valid height. Abort command!", 49.6, "50", "0", 0},
      {"rCircle", &TForm1::MIEditrCircleClick, &WorkingParameters::rCircle, "Enter new value for rCircle",
       "No valid radius. Abort command!", 2.5, "3", "1E6", 1e6},
      {"rCylinder", &TForm1::MIEditrCylinderClick, &WorkingParameters::rCylinder,
       "Enter new value for rCylinder", "No valid radius. Abort command!", -3.5, "-4", "2,5", 2.5},
  };
  for (const Inquiry& q : inquiries) {
    SCOPED_TRACE(q.name);
    const auto value = [&] { return q.value ? form.params.*q.value : form.params.AnalyseSegment; };
    const auto ask = [&](const std::optional<std::string>& answer) {
      ui.AnswerAsk(answer);
      (form.*q.command)();
    };
    q.value ? void(form.params.*q.value = q.start)
            : void(form.params.AnalyseSegment = static_cast<int>(q.start));
    ui.asks.clear();
    ask(q.answer);
    ASSERT_EQ(1u, ui.asks.size());
    EXPECT_EQ("Inquiry", ui.asks[0].caption);
    EXPECT_EQ(q.prompt, ui.asks[0].prompt);
    EXPECT_EQ(q.offered, ui.asks[0].offered);
    EXPECT_EQ(q.stored, value());
    if (q.value) {
      form.params.*q.value = 2.4;
      ask("2");  // the offered text, confirmed unchanged
      EXPECT_EQ(2.4, value());
      ask("3");
      EXPECT_EQ(3.0, value());
      ask("3");  // a whole number offered and confirmed stays what it is
      EXPECT_EQ(3.0, value());
    }
    EXPECT_EQ(0, ui.Warnings()) << out.str();
    std::vector<std::optional<std::string>> answers = {std::nullopt, "", "abc", "1.5"};
    if (!q.value) answers.push_back("2,5");  // whole numbers only
    for (const auto& answer : answers) {
      const double before = value();
      const std::size_t messages = ui.messages.size();
      ask(answer);
      EXPECT_EQ(before, value());
      ASSERT_EQ(messages + 1, ui.messages.size());
      EXPECT_EQ("[Warning] " + q.warning, ui.messages.back()) << "with " << answer.value_or("<cancel>");
    }
    ui.messages.clear();
  }
}

// ---- Through the headless runner ------------------------------------------------------------

TEST(ParamsRunner, ThreeDDialogCaseAndShowParameters) {
  TestRoot root;
  std::istringstream in(
      "decimal ,\n"
      "answer point 2,5 abc 1\n"
      "run EditPointDblClick\n"
      "run MIShowsomeParametersClick\n"
      "print Mout\n");
  std::ostringstream out;
  EXPECT_EQ(0, RunScriptIn(root, in, out));
  std::string expected = "[Warning] String to Float conversion Error! Try again!\n";
  for (const std::string& line : DefaultParameterLines()) expected += line + "\n";
  EXPECT_EQ(expected, out.str());
  DecimalSeparator = ',';
}

}  // namespace

}  // namespace varnel
