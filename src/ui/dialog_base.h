#pragma once
/// What every dialog of the desktop program shares:
///
/// - captions and labels from the language texts (`T`), the OK, Cancel and
///   Help buttons with texts 676, 677 and 678 (`ButtonRow`);
/// - a status line at the bottom that shows the hint text of the control
///   that has the focus (a control's hint number is given with
///   `AddComponent`);
/// - focus memory: the dialog remembers the index of the last focused
///   control that is not a button (`rememberedIndex`), and `RestoreFocus`
///   gives the focus back to a remembered index when the dialog opens;
/// - in dialogs with entry fields Enter moves to the next control instead of
///   closing the dialog;
/// - OK closes only when `Validate` accepts all entries; Cancel and Esc
///   close without a change; Help and F1 open the dialog's help topic;
/// - placement beside the main window (`PlaceBeside`).
///
/// A dialog derives from `QlxsDialog`, builds its controls, registers them
/// with `AddComponent` in the order of its component list, and overrides
/// `Validate` when it has entry fields.

#include <vector>

#include <QDialog>
#include <QString>

class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;

namespace qlxs {

struct ConfigState;

/// Texts of the dialog buttons.
inline constexpr int kTextOk = 676;
inline constexpr int kTextCancel = 677;
inline constexpr int kTextHelp = 678;

class QlxsDialog : public QDialog {
  Q_OBJECT
 public:
  /// A dialog with the language texts of `cs`, beside `mainWindow` (may be
  /// null), opening help topic `helpTopic` (0: no Help button). With
  /// `enterMovesFocus` Enter moves to the next control.
  QlxsDialog(const ConfigState& cs, QWidget* mainWindow, int helpTopic, bool enterMovesFocus);
  ~QlxsDialog() override;

  /// Language text n.
  QString T(int n) const;

  /// Registers the next control of the component list with its hint text
  /// number (0: none). Returns its index. Index 0 is the dialog itself,
  /// so the first control registered has index 1 (a remembered 0 means
  /// "nothing remembered").
  int AddComponent(QWidget* control, int hint);
  /// The control with index i (null when there is none).
  QWidget* component(int i) const;
  int componentCount() const { return static_cast<int>(components_.size()); }

  /// The index of the control that had the focus last, buttons excepted.
  int rememberedIndex() const { return remembered_; }
  /// Focuses the control of the remembered index `ilo` when it is not 0,
  /// lies in the list and can take the focus; else does nothing.
  void RestoreFocus(int ilo);

  /// The row of OK, Cancel and (with a help topic) Help, right-aligned.
  /// Created on first call; the dialog puts it into its layout.
  QHBoxLayout* ButtonRow();
  QPushButton* okButton() const { return ok_; }
  QPushButton* cancelButton() const { return cancel_; }
  QPushButton* helpButton() const { return help_; }
  /// The status line with the hint of the focused control.
  QLabel* hintLine() const { return hintLine_; }

  /// Moves the dialog beside the main window: left as the dialog rules say,
  /// top at the main window's top plus `topBelowMain` (negative: keeps the
  /// top the dialog system chose).
  void PlaceBeside(int topBelowMain);
  /// Places the dialog with `PlaceBeside(topBelowMain)` when it is first
  /// shown, when its size is known.
  void PlaceWhenShown(int topBelowMain) { placeTop_ = topBelowMain; }

  /// Shows or clears the error mark of an entry field.
  static void MarkError(QLineEdit* field, bool error);

  /// OK: closes with Accepted only when `Validate` says all entries are valid.
  void accept() override;

 protected:
  /// Checks every entry field, marks those in error and returns whether all
  /// are valid. The default accepts.
  virtual bool Validate() { return true; }
  /// Called with Help; the default opens the dialog's help topic.
  virtual void ShowHelp();
  /// Called once, when the dialog is first shown: places it. The default
  /// follows `PlaceWhenShown` (nothing without it).
  virtual void Place();

  void showEvent(QShowEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

  const ConfigState& cs_;
  QWidget* mainWindow_;

 private:
  void FocusChanged(QWidget* now);

  int helpTopic_;
  bool enterMovesFocus_;
  std::vector<QWidget*> components_;  // index 0: the dialog itself
  std::vector<int> hints_;
  int remembered_ = 0;
  QHBoxLayout* buttonRow_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QPushButton* help_ = nullptr;
  QLabel* hintLine_ = nullptr;
  int placeTop_ = kNotPlaced;
  bool shown_ = false;
  static constexpr int kNotPlaced = -1000000;
};

}  // namespace qlxs
