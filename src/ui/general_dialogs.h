#pragma once
/// The general settings dialog (`TfmAlg`), the options dialog (`TfmOpt`) and
/// the about box (`TfmInfo`). Each only shows and forwards; the field rules,
/// what OK writes and the command around the general settings live in
/// app/general_settings.h.

#include <string>

#include <QValidator>

#include "app/general_settings.h"
#include "ui/dialog_base.h"

class QLineEdit;
class QListWidget;
class QPushButton;

namespace qlxs {

struct Monitor;

/// Runs the general settings dialog on `copy` and on the data directory
/// `dataDir`; on OK writes the fields into them and returns true. The dialog
/// opens with its right edge on the main window's right edge, twice
/// `controlBarHeight` below its top.
bool EditGeneral(Monitor& m, QWidget* mainWindow, T_AllgPar& copy, std::string& dataDir, int controlBarHeight = 0);
/// Runs the options dialog on `PrgPar.opt`; true after OK (the shortcuts
/// then follow the options).
bool EditOptions(Monitor& m, QWidget* mainWindow);
/// Shows the about box.
void ShowAbout(Monitor& m, QWidget* mainWindow);

/// The entry mask of the address structure fields (`StructureMask`).
class StructureValidator final : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int& pos) const override;
};

/// General settings: address structures, 100 % value, maximum log size,
/// data directory.
class TfmAlg final : public QlxsDialog {
  Q_OBJECT
 public:
  TfmAlg(Monitor& m, QWidget* mainWindow, const T_AllgPar& ap, const std::string& dataDir, int controlBarHeight);

  /// Writes the fields into `ap` and `dataDir`, as OK does.
  void Store(T_AllgPar& ap, std::string& dataDir) const;
  /// The folder browser; a chosen folder replaces the data directory field.
  void Browse();

  QLineEdit* edStatAdr = nullptr;
  QLineEdit* edObjAdr = nullptr;
  QLineEdit* edMw100 = nullptr;
  QLineEdit* edMaxLog = nullptr;
  QLineEdit* edLogVerz = nullptr;
  QPushButton* btnBr = nullptr;

 protected:
  bool Validate() override;
  /// Right-aligned with the main window, two control-bar heights below its top.
  void Place() override;

 private:
  GeneralEntries Entries() const;

  Monitor& m_;
  int controlBarHeight_;
};

/// The options: one check box per option flag.
class TfmOpt final : public QlxsDialog {
  Q_OBJECT
 public:
  TfmOpt(Monitor& m, QWidget* mainWindow);
  /// Writes the check marks into `PrgPar.opt`, as OK does.
  void Store() const;

  QListWidget* chlbOpt = nullptr;

 private:
  Monitor& m_;
};

/// The about box: title, copyright, version; any key closes it.
class TfmInfo final : public QlxsDialog {
  Q_OBJECT
 public:
  TfmInfo(Monitor& m, QWidget* mainWindow);

  QListWidget* lbInfo = nullptr;

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;
};

}  // namespace qlxs
