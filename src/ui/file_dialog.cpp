#include "ui/file_dialog.h"

#include <QFileDialog>
#include <QFileInfo>

#include "config/dialog_texts.h"
#include "ui/qt_text.h"

namespace qlxs {

QString ChooseFile(QWidget* parent, const FileDialogCaption& caption, bool save, const std::string& start) {
  QFileDialog dialog(parent, Q(caption.title));
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  QString ext = Q(caption.defaultExt);
  if (ext.startsWith('.')) ext.remove(0, 1);
  dialog.setDefaultSuffix(ext);
  dialog.setNameFilters(Q(caption.filter).split(";;", Qt::SkipEmptyParts));
  const QFileInfo info(Q(start));
  dialog.setDirectory(start.empty() || start.back() == '/' ? Q(start) : info.absolutePath());
  if (!start.empty() && start.back() != '/') dialog.selectFile(info.fileName());
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

}  // namespace qlxs
