#include "ui/help_browser.h"

#include <QMessageBox>

#include "config/config_state.h"

namespace qlxs {

void ShowHelpTopic(QWidget* parent, const ConfigState&, int topic) {
  QMessageBox::information(parent, QString(), QString("Help topic %1").arg(topic));
}

}  // namespace qlxs
