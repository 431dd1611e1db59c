#pragma once
/// The filter dialog for the display filter and the log filter (`TfmFlt`)
/// and its pick list of types and causes (`TfmTyp`). The dialog builds one
/// row of controls per criterion row of the address structures, checks the
/// entries, and on OK writes the controls back into the filter copy it was
/// given. Its pop-up menu (right click on the form, or Ctrl+O and Ctrl+S)
/// loads and saves filter files; F12 or a right click on a type or cause
/// field opens the pick list. Every decision is taken by
/// app/filter_dialog_rules.h.

#include <cstdint>
#include <optional>
#include <vector>

#include "app/filter_dialog_rules.h"
#include "config/filter_record.h"
#include "ui/dialog_base.h"

class QAction;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTimeEdit;

namespace qlxs {

struct Monitor;

/// Edits the filter `copy` in the filter dialog: the display filter's
/// dialog (caption 692, help topic 6100) when `displayFilter`, else the log
/// filter's (693, 6300). True when the dialog ended with OK; only then is
/// `copy` changed. The main window passes it to `FilterCommand`.
bool EditFilter(Monitor& m, QWidget* mainWindow, T_Filter& copy, bool displayFilter);

/// The pick list of types (mode 1) or causes (mode 2), the entry of
/// `current` preselected. Enter or a double click take the selected entry,
/// Esc cancels.
class TfmTyp final : public QlxsDialog {
  Q_OBJECT
 public:
  TfmTyp(const ConfigState& cs, QWidget* parent, int mode, int32_t current);
  QListWidget* list() const { return lbTyp_; }
  /// The code of the selected entry; none when nothing is selected.
  std::optional<int32_t> chosen() const;

 private:
  int mode_;
  QListWidget* lbTyp_;
};

class TfmFlt final : public QlxsDialog {
  Q_OBJECT
 public:
  /// The dialog for filter `copy` of kind `which`; `copy` changes only on OK.
  TfmFlt(Monitor& m, QWidget* mainWindow, T_Filter& copy, FilterKind which);
  ~TfmFlt() override;

  /// The four controls of a criterion row (and of the IPv4 row).
  struct RowControls {
    QLabel* label = nullptr;
    QComboBox* akt = nullptr;
    QLineEdit* w1 = nullptr;
    QComboBox* mod = nullptr;
    QLineEdit* w2 = nullptr;
  };

  QCheckBox* fromCheck() const { return chbVon_; }
  QDateEdit* fromDate() const { return dtVon_; }
  QTimeEdit* fromTime() const { return tmVon_; }
  QCheckBox* toCheck() const { return chbBis_; }
  QDateEdit* toDate() const { return dtBis_; }
  QTimeEdit* toTime() const { return tmBis_; }
  QListWidget* statusList() const { return chlbStat_; }
  QListWidget* sourceList() const { return chlbTKen_; }
  QListWidget* classList() const { return chlbTA_; }
  const RowControls& ipRow() const { return ip_; }
  /// Criterion row i (from 1).
  const RowControls& row(int i) const { return rows_[static_cast<size_t>(i - 1)]; }
  int rowCount() const { return static_cast<int>(rows_.size()); }
  QPushButton* resetButton() const { return btnReset_; }
  QAction* loadAction() const { return miLoad_; }
  QAction* saveAction() const { return miSave_; }
  /// The filter as the dialog holds it (loaded, reset, or saved).
  const T_Filter& work() const { return work_; }

  /// OK: only with valid entries; writes the controls into the copy.
  void accept() override;
  /// Opens the pick list for a type or cause field; true when a code was taken.
  bool OpenPickList(QLineEdit* field);

 protected:
  bool Validate() override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void Build();
  void Fill();
  FilterForm Form() const;
  bool ReadBack();
  void Reset();
  void Load();
  void Save();
  void FocusMoved(QWidget* old, QWidget* now);
  QString ChooseFile(bool save);

  Monitor& m_;
  T_Filter& target_;
  T_Filter work_;
  std::vector<FilterRowLayout> layouts_;
  LogSpan span_;

  QCheckBox* chbVon_ = nullptr;
  QDateEdit* dtVon_ = nullptr;
  QTimeEdit* tmVon_ = nullptr;
  QCheckBox* chbBis_ = nullptr;
  QDateEdit* dtBis_ = nullptr;
  QTimeEdit* tmBis_ = nullptr;
  QListWidget* chlbStat_ = nullptr;
  QListWidget* chlbTKen_ = nullptr;
  QListWidget* chlbTA_ = nullptr;
  RowControls ip_;
  std::vector<RowControls> rows_;
  QPushButton* btnReset_ = nullptr;
  QAction* miLoad_ = nullptr;
  QAction* miSave_ = nullptr;
};

}  // namespace qlxs
