#pragma once
// The main window: a view of TForm1's model. It builds the regions, fields, panes, radio groups
// and menus from the model, forwards every click to TForm1::Run, hands the user's pane edits
// back to the model before a command runs, and redraws from the model after a command and at
// every event processing inside one (never per line).
#include <QMainWindow>
#include <map>
#include <string>

class QAction;
class QButtonGroup;
class QGroupBox;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QtPlatform;
class TForm1;
struct MenuItem;
struct Pane;

class VarnelWindow : public QMainWindow {
  Q_OBJECT

 public:
  VarnelWindow(TForm1& form, QtPlatform& platform);
  ~VarnelWindow() override;

  // Model -> widgets: fields, panes whose revision changed, radio groups, colours, check marks.
  void SyncFromModel();
  // Widgets -> model: the text of every pane the user has edited.
  void PullEdits();
  // Runs a command by handler or control name the way a click does.
  void RunCommand(const std::string& name);
  // Applies the model's FormResize geometry to the regions and panes.
  void ApplyGeometry();

  TForm1& Form() { return form_; }
  QPlainTextEdit* PaneWidget(const std::string& name) const;
  QGroupBox* RegionWidget(const std::string& name) const;
  QLineEdit* FieldWidget(const std::string& name) const;
  QAction* Action(const std::string& controlName) const;
  QButtonGroup* RadioGroupWidget(const std::string& name) const;
  QMenu* PopupMenuOf(const std::string& name) const;  // "PopupMenu1", "PopupMenu2"

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct PaneView {
    Pane* pane;
    QPlainTextEdit* widget;
    std::uint64_t revision = ~0ull;
    std::uint64_t scrollRequest = 0;
    std::size_t lineCount = 0;
    bool edited = false;
    bool updating = false;
  };
  void BuildRegions();
  void BuildMenus();
  QMenu* BuildPopup(const std::vector<MenuItem>& items, QWidget* owner);
  QAction* MakeAction(const MenuItem& item, QWidget* owner);
  void SyncPane(PaneView& view);
  void ApplyWindowRect();

  TForm1& form_;
  QtPlatform& platform_;
  std::map<std::string, PaneView> panes_;
  std::map<std::string, QGroupBox*> regions_;
  std::map<std::string, QLineEdit*> fields_;
  std::map<std::string, QAction*> actions_;
  std::map<std::string, QButtonGroup*> radioGroups_;
  std::map<std::string, QGroupBox*> radioBoxes_;
  std::map<std::string, QMenu*> popups_;
  bool applyingGeometry_ = false;
};
