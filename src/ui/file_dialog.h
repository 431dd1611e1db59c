#pragma once
/// The file dialogs of the program, prepared from the texts of a
/// `FileDialogCaption`: title, default extension and filter list.

#include <string>

#include <QString>

class QWidget;

namespace qlxs {

struct FileDialogCaption;

/// Lets the user choose a file to open (`save` false: an existing one) or
/// to save; the dialog starts at `start` (a file, or a folder ending in
/// '/'). Empty when the user cancelled.
QString ChooseFile(QWidget* parent, const FileDialogCaption& caption, bool save, const std::string& start);

}  // namespace qlxs
