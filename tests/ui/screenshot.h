#pragma once
// Pictures of windows for the documentation: when QLXS_SCREENSHOT_DIR is
// set (scripts/screenshots sets it), a window test saves what it shows as
// DIR/NAME.png. Without the variable nothing happens.

#include <QDir>
#include <QPixmap>
#include <QString>
#include <QWidget>

namespace qlxs::test {

inline void SaveScreenshot(QWidget& w, const QString& name) {
  const QString dir = qEnvironmentVariable("QLXS_SCREENSHOT_DIR");
  if (dir.isEmpty()) return;
  QDir().mkpath(dir);
  w.grab().save(dir + "/" + name + ".png");
}

}  // namespace qlxs::test
