#pragma once
/// The print dialog: outputs the telegrams of the current telegram log that
/// the display filter admits, in the output format of the view, into a text
/// file or on a printer (a CUPS printer, or a PDF file), or copies them
/// unrendered into a new log file (an extract). The output runs inside the
/// dialog with a progress bar; Cancel stops it. Every decision is taken by
/// app/print_command.h; the dialog shows the choices and drives the output.

#include <QString>

#include "app/print_command.h"
#include "ui/dialog_base.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QRadioButton;

namespace qlxs {

struct Monitor;

/// The print command of the file menu: opens the print dialog beside the
/// main window and, when it ends with OK, stores its choices in the settings.
void PrintCommand(Monitor& m, QWidget* mainWindow);

class TfmDruk final : public QlxsDialog {
  Q_OBJECT
 public:
  /// The entry of the printer list that prints into a PDF file; the CUPS
  /// printers follow it.
  static constexpr int kPdfEntry = 0;

  /// The dialog with the choices stored in the settings of m.
  TfmDruk(Monitor& m, QWidget* mainWindow);

  /// The choices as they are shown.
  PrintChoices choices() const;
  /// The output file, or printer, the last output went to, and how it ended.
  const QString& lastTarget() const { return lastTarget_; }
  const PrintResult& lastResult() const { return lastResult_; }
  bool running() const { return running_; }

  QRadioButton* choiceButton(int choice) const { return rgrAusg_[choice]; }
  QComboBox* printerList() const { return pcbDruk_; }
  QComboBox* fileList() const { return fcbFile_; }
  QCheckBox* coloursBox() const { return cbFarben_; }
  QProgressBar* progressBar() const { return prbrDruk_; }

  /// OK: checks the output file and runs the output, then closes.
  void accept() override;
  /// Cancel: closes the dialog, or asks a running output to stop.
  void reject() override;

 private:
  int Choice() const;
  bool Pdf() const;
  void ChoiceChanged();
  void FillFileList();
  bool Progress(int percent);
  void Run(int choice, const QString& target);

  Monitor& m_;
  QRadioButton* rgrAusg_[3] = {};
  QComboBox* pcbDruk_ = nullptr;
  QComboBox* fcbFile_ = nullptr;
  QCheckBox* cbFarben_ = nullptr;
  QLabel* lblHinweis_ = nullptr;
  QProgressBar* prbrDruk_ = nullptr;
  QString mask_;
  bool running_ = false;
  bool cancel_ = false;
  QString lastTarget_;
  PrintResult lastResult_;
};

}  // namespace qlxs
