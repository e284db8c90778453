#pragma once
// The main window: a view of TForm1's model. It builds the regions, fields, panes, radio groups
// and menus from the model, forwards every click to TForm1::Run (the panes are edited in the
// model itself, so a command sees them as the user left them), and redraws from the model after a command and
// at event processing inside one, at most about 30 times a second (never per line or per file). The status
// bar holds the progress and a Stop button; Esc stops too.
#include <QMainWindow>
#include <map>
#include <memory>
#include <string>

class QAction;
class QButtonGroup;
class QGroupBox;
class QLineEdit;
class QMenu;
class QLabel;
class QProgressBar;
class QPushButton;

namespace varnel {
class PaneView;
class PictureWindows;
class QtUi;
class TForm1;
struct MenuItem;
struct Pane;

class VarnelWindow : public QMainWindow {
  Q_OBJECT

 public:
  VarnelWindow(TForm1& form, QtUi& ui);
  ~VarnelWindow() override;

  // Model -> widgets: fields, panes whose revision changed, radio groups, colours, check marks.
  void SyncFromModel();
  // SyncFromModel when the last redraw is more than a frame (about 1/30 s) ago.
  void SyncIfDue();
  // A notice in the status bar for a few seconds.
  void ShowNotice(const std::string& text);
  // What the status bar shows: the notice while it stands, else the progress line.
  std::string StatusText() const;
  QProgressBar* ProgressBar() const { return progressBar_; }
  QPushButton* StopButton() const { return stopButton_; }
  // Runs a command by handler or control name the way a click does.
  void RunCommand(const std::string& name);
  // Applies the model's FormResize geometry to the regions and panes.
  void ApplyGeometry();

  TForm1& Form() { return form_; }
  PaneView* PaneWidget(const std::string& name) const;
  QGroupBox* RegionWidget(const std::string& name) const;
  // The handle of TForm1::Splitter Rows (0) or Columns (1).
  QWidget* SplitterWidget(int splitter) const;
  QLineEdit* FieldWidget(const std::string& name) const;
  QAction* Action(const std::string& controlName) const;
  QButtonGroup* RadioGroupWidget(const std::string& name) const;
  QMenu* PopupMenuOf(const std::string& name) const;  // "PopupMenu1", "PopupMenu2"
  // The field map and table plot windows beside this one.
  PictureWindows* Pictures() const { return pictures_.get(); }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct PaneSlot {
    Pane* pane = nullptr;
    PaneView* widget = nullptr;
  };
  void BuildRegions();
  void BuildMenus();
  QMenu* BuildPopup(const std::vector<MenuItem>& items, QWidget* owner);
  QAction* MakeAction(const MenuItem& item, QWidget* owner, std::size_t accessKey);
  void SyncStatus();
  void BuildSplitters();
  bool FrameTurnedUp() const;
  void ApplyWindowRect();

  TForm1& form_;
  QtUi& ui_;
  std::map<std::string, PaneSlot> panes_;
  std::map<std::string, QGroupBox*> regions_;
  std::map<std::string, QLineEdit*> fields_;
  std::map<std::string, QAction*> actions_;
  std::map<std::string, QButtonGroup*> radioGroups_;
  std::map<std::string, QGroupBox*> radioBoxes_;
  std::map<std::string, QMenu*> popups_;
  std::map<int, QWidget*> splitters_;  // by TForm1::Splitter
  QString statusShown_;                // the status text before the native paths were added
  QLabel* statusText_ = nullptr;
  QProgressBar* progressBar_ = nullptr;
  QPushButton* stopButton_ = nullptr;
  qint64 lastSync_ = 0;  // ms on the window's clock
  bool applyingGeometry_ = false;
  bool framed_ = false;
  std::unique_ptr<PictureWindows>
      pictures_;  // the frame's size was known when the model's rectangle was applied
};

}  // namespace varnel
