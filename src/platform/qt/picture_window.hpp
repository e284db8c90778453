#pragma once
// The pictures beside the main window: "Show Field Map" and "Plot Table" of the Analyse menu
// open a window that paints the core's Scene (the same items the SVG file holds), follows the
// current table when a command changes it and saves the picture as PNG or SVG. Where it opens,
// how its view is scaled and scrolled and what its keys, wheel and mouse do is the core's
// (mainwindow/pictures.hpp, picture/viewport.hpp); the window measures itself and forwards.
#include <QAbstractScrollArea>
#include <QElapsedTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "mainwindow/pictures.hpp"
#include "platform/platform.hpp"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPainter;
class QPushButton;

namespace varnel {
class TForm1;

// Paints the scene's items at its own size (the painter may be scaled).
void PaintScene(QPainter& painter, const Scene& scene);
// PNG bytes of the scene; registered with the core as its rasterizer. Works without a window
// too: without a Qt application one is made, offscreen.
std::string RasterPng(const Scene& scene);
void RegisterQtRasterizer();

// Shows a scene as the core lays it out at the window's zoom (scaled, scrolled, centred where it
// is smaller than the view); tells where the cursor is in scene coordinates and hands the wheel
// and drags of the mouse on. Keys go on to the window.
class SceneView : public QAbstractScrollArea {
  Q_OBJECT
 public:
  explicit SceneView(PictureZoom& zoom, QWidget* parent = nullptr);
  void SetScene(Scene scene);
  const Scene& CurrentScene() const { return scene_; }
  // Lays the view out again at the zoom (after it changed) and paints it.
  void Refresh();
  const ViewLayout& Layout() const { return layout_; }
  // The view point (of the viewport) in scene coordinates (outside the scene's rectangle too).
  QPointF ToScene(QPointF viewPoint) const;

 signals:
  void hovered(QPointF scenePoint);
  void left();
  void pressed(QPointF at);
  void dragged(QPointF from, QPointF to);
  void wheeled(QPointF at, double notches, bool control);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  Scene scene_;
  PictureZoom& zoom_;
  ViewLayout layout_;
  bool laying_ = false;
  std::optional<QPointF> dragFrom_;
};

// One picture window: the field map (with the view, plane, level and scale choices, the colour
// limits and the value under the cursor; or the field along the Z line through A) or the table
// plots (the distributions in dB or linear).
class PictureWindow : public QWidget {
  Q_OBJECT
 public:
  PictureWindow(PictureKind kind, TForm1& form, Platform platform);
  // Opens beside the main window as the core arranges it, moving the main window where the
  // core says so; others: the outer frames of the picture windows already open.
  void PlaceBeside(QWidget* mainWindow, const std::vector<Rect>& others);
  // Builds the picture again from the model (when its state changed since the last time, or
  // always when forced).
  void Follow(bool force = false);
  // Asks for a file (PNG or SVG) and writes the picture; a failure is shown in a warning box.
  void Save();

  PictureKind Kind() const { return kind_; }
  SceneView* View() const { return view_; }
  const FieldMap& Map() const { return map_; }
  // The line under the picture: the value under the cursor on the field map, else the hint.
  QLabel* ProbeLabel() const { return probe_; }
  const PictureState& State() const { return state_; }
  // What a key (Qt::Key) does, as the core decides; true when the key is one the core takes.
  bool Press(int key, bool control);
  QComboBox* PlaneBox() const { return plane_; }
  QComboBox* LevelBox() const { return level_; }
  QComboBox* ScaleBox() const { return scale_; }
  QComboBox* ViewBox() const { return viewList_; }
  QComboBox* CdfBox() const { return cdf_; }
  QCheckBox* LeaveOutBox() const { return leaveOut_; }
  QPushButton* SaveButton() const { return save_; }
  QLineEdit* LowEdit() const { return low_; }
  QLineEdit* HighEdit() const { return high_; }
  QPushButton* SetLimitsButton() const { return setLimits_; }
  // Sets the choices and draws again (the combo boxes call this).
  void Choose(const FieldMapChoice& choice);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  ShownPicture Shown() const { return {kind_, view_->CurrentScene(), map_, view_->Layout()}; }
  void Apply(PictureEffect effect);
  // The field map drawn again at the state's zoom, from the map as it is.
  void Redraw();
  std::size_t StateKey() const;
  void Rebuild();
  void FillChoices();
  void Probe(QPointF scenePoint);
  // Takes the colour limits of the two fields (a refusal is shown in a warning box).
  void SetLimits();

  PictureKind kind_;
  TForm1& form_;
  Platform platform_;
  PictureState state_;
  FieldMap map_;
  bool dragOnMap_ = false;
  std::optional<std::size_t> shownKey_;
  SceneView* view_ = nullptr;
  QLabel* probe_ = nullptr;
  QComboBox* plane_ = nullptr;
  QComboBox* level_ = nullptr;
  QComboBox* scale_ = nullptr;
  QComboBox* viewList_ = nullptr;
  QComboBox* cdf_ = nullptr;
  QCheckBox* leaveOut_ = nullptr;
  QPushButton* save_ = nullptr;
  QLineEdit* low_ = nullptr;
  QLineEdit* high_ = nullptr;
  QPushButton* setLimits_ = nullptr;
};

// The two picture windows of a main window; installs the model's showPicture hook.
class PictureWindows {
 public:
  PictureWindows(TForm1& form, Platform platform, QWidget* mainWindow);
  ~PictureWindows();
  // The window of that kind, opened (and raised) beside the main window.
  PictureWindow* Show(PictureKind kind);
  // Redraws the open windows whose pictures' state changed.
  void Follow();
  PictureWindow* Window(PictureKind kind) const;
  // Closes the open picture windows (the main window is closing).
  void CloseAll();

 private:
  TForm1& form_;
  Platform platform_;
  QWidget* main_;
  std::unique_ptr<PictureWindow> windows_[2];
  QElapsedTimer sinceFollow_;
};

}  // namespace varnel
