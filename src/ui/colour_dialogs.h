#pragma once
/// The two colour dialogs of the desktop program:
///
/// - `TelColourDialog`: the view's font size, the blank space between
///   telegrams and the text and background colour of the four channels, the
///   headings and the error lines, each pair with a sample line drawn in its
///   colours at the chosen size;
/// - `ColourTableDialog`: the colour pair per type identification or per
///   cause octet, chosen for the code selected in a list whose entries show
///   their own colours.
///
/// The colour lists are drawn by the program: every item shows its colour
/// with the colour's name on it. Both dialogs work on a copy; the records
/// change only on OK. The decisions live in app/colour_settings.h.

#include <array>

#include <QComboBox>
#include <QStyledItemDelegate>

#include "config/colours.h"
#include "config/prg_par.h"
#include "ui/dialog_base.h"

class QLineEdit;
class QListWidget;

namespace qlxs {

struct Monitor;

/// Runs the telegram colour dialog on `copy` (the caller's copy of
/// `PrgPar.tf`). True on OK, with `copy` edited; on Cancel `copy` is left
/// as it was.
bool EditTelegramColours(Monitor& m, QWidget* mainWindow, T_TelFarben& copy);

/// Runs the colour table dialog on a copy of `PrgPar.frburs` (`causes`) or
/// `PrgPar.frbtyp`. On OK the copy replaces the table when it differs from
/// it. True when the table was replaced.
bool EditColourTable(Monitor& m, QWidget* mainWindow, bool causes);

/// A combo box of colours: each item, and the closed box, shows its colour
/// with its name written on it.
class ColourCombo : public QComboBox {
  Q_OBJECT
 public:
  explicit ColourCombo(QWidget* parent);
  /// Appends an item with the name `name` on the colour `colour`.
  void AddColour(const QString& name, const QColor& colour);
  /// The colour of item i.
  QColor colourAt(int i) const;

 protected:
  void paintEvent(QPaintEvent* e) override;
};

/// Draws items of a list as colour swatches: the item's colour filled in,
/// its name on it in white or black, a frame around the selected item.
class SwatchDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

/// One line of sample text in a colour pair, at the font of the view.
class ColourSample : public QWidget {
  Q_OBJECT
 public:
  ColourSample(const QString& text, QWidget* parent);
  void SetColours(const QColor& text, const QColor& background);
  void SetPointSize(int size);
  QColor textColour() const { return text_; }
  QColor backgroundColour() const { return background_; }
  int pointSize() const { return font_.pointSize(); }
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* e) override;

 private:
  QString line_;
  QFont font_;
  QColor text_;
  QColor background_;
};

/// The telegram size and colour dialog, on its own copy of the record.
class TelColourDialog : public QlxsDialog {
  Q_OBJECT
 public:
  TelColourDialog(const ConfigState& cs, QWidget* mainWindow, const T_TelFarben& tf);

  /// The record as OK writes it: the copy with the colour lists' choices,
  /// the control focused last, the selected size and the gap.
  T_TelFarben Edited() const;

  QComboBox* sizeList() const { return size_; }
  QLineEdit* gapField() const { return gap_; }
  /// The text colour or background list of pair 1 .. 6.
  ColourCombo* colourList(int pair, bool background) const;
  ColourSample* sample(int pair) const { return samples_[static_cast<size_t>(pair - 1)]; }

 protected:
  bool Validate() override;

 private:
  void ColourChosen(int pair, bool background, int item);
  void ShowSample(int pair);

  SystemColours sys_;
  T_TelFarben work_;
  QComboBox* size_;
  QLineEdit* gap_;
  std::array<ColourCombo*, 2 * kTelColourPairs> lists_{};
  std::array<ColourSample*, kTelColourPairs> samples_{};
};

/// The colour selection per type identification or per cause octet, on its
/// own copy of the table.
class ColourTableDialog : public QlxsDialog {
  Q_OBJECT
 public:
  ColourTableDialog(const ConfigState& cs, QWidget* mainWindow, const T_TypUrsFarben& table, bool perType);

  /// The table as OK writes it: the copy with the chosen colours, the
  /// selected code and the control focused last.
  T_TypUrsFarben Edited() const;

  QListWidget* codeList() const { return codes_; }
  ColourCombo* textColourList() const { return fg_; }
  ColourCombo* backgroundList() const { return hg_; }

 private:
  void CodeSelected(int code);
  void ColourChosen(bool background, int item);

  SystemColours sys_;
  T_TypUrsFarben work_;
  QListWidget* codes_;
  ColourCombo* fg_;
  ColourCombo* hg_;
};

}  // namespace qlxs
