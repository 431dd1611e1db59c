#pragma once
/// The COM port dialog: the parameters both ports share and the COM number
/// of each. It edits a copy of the first port's state; the decisions are
/// those of app/port_dialog.h.

#include <string>
#include <vector>

#include "app/port_dialog.h"
#include "platform/port_map.h"
#include "ui/dialog_base.h"

class QComboBox;
class QLineEdit;
class QListWidget;

namespace qlxs {

struct Monitor;

class TfmCom : public QlxsDialog {
  Q_OBJECT
 public:
  /// The dialog for the first port's state `first`; the devices without a
  /// COM number are looked for in `byIdDir`.
  TfmCom(Monitor& m, QWidget* mainWindow, const T_ComVar& first, const std::string& byIdDir = kSerialByIdDir);

  /// The entries as the controls hold them now.
  PortEntries Entries() const;
  /// The items of both COM lists (after OK with the numbers of new devices).
  const std::vector<ComItem>& items() const { return items_; }

  /// Both lists on one port: the second falls back to "no port".
  void ApplySamePortRule();

 protected:
  bool Validate() override;
  bool eventFilter(QObject* watched, QEvent* e) override;
  void showEvent(QShowEvent* e) override;

 private:
  void FillComList(QComboBox* cb, int selected);

  Monitor& m_;
  std::vector<ComItem> items_;
  int ilo_ = 0;
  bool focusRestored_ = false;
  QLineEdit* sfLogText_ = nullptr;
  QComboBox* cbCom_ = nullptr;
  QComboBox* cbCom2_ = nullptr;
  QComboBox* cbBaud_ = nullptr;
  QComboBox* cbPari_ = nullptr;
  QComboBox* cbData_ = nullptr;
  QComboBox* cbStop_ = nullptr;
  QLineEdit* fields_[kPortFieldCount] = {};
  QListWidget* chlbAend_ = nullptr;
};

/// Runs the COM port dialog on `copy`, the first port's state: on OK the
/// dialog's fields are written into `copy` and the second port's COM number
/// into `m.ports[1].bp.cnr`, and true is returned; on cancel nothing
/// changes. The shape of `PortDialog`, for `ApplyPortSettings`.
bool RunPortDialog(Monitor& m, QWidget* mainWindow, T_ComVar& copy, const std::string& byIdDir = kSerialByIdDir);

}  // namespace qlxs
