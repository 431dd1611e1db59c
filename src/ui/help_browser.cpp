#include "ui/help_browser.h"

#include <string>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QPointer>
#include <QStyle>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "app/help_topics.h"
#include "config/config_state.h"
#include "model/text_table.h"

namespace qlxs {

namespace {

// A button caption from the language texts ("&" marks its accelerator).
QString ButtonText(const ConfigState& cs, int n) { return QString::fromStdString(Text(cs.AllgVar, n)); }

// The help window: a text browser with Back, Forward and Contents. It
// lives on its own, so that it stays open when the window that asked for
// it closes, and it does not keep the program running after the main
// window has closed.
class HelpBrowser final : public QWidget {
 public:
  HelpBrowser() : QWidget(nullptr, Qt::Window) {
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_QuitOnClose, false);
    text_ = new QTextBrowser(this);
    text_->setObjectName("helpText");
    text_->setOpenExternalLinks(false);
    back_ = AddButton("helpBack", QStyle::SP_ArrowBack, QKeySequence::Back);
    forward_ = AddButton("helpForward", QStyle::SP_ArrowForward, QKeySequence::Forward);
    contents_ = AddButton("helpContents", QStyle::SP_DirHomeIcon, QKeySequence(Qt::ALT | Qt::Key_Home));
    back_->setEnabled(false);
    forward_->setEnabled(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(back_);
    buttons->addWidget(forward_);
    buttons->addWidget(contents_);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(text_);

    connect(back_, &QToolButton::clicked, text_, &QTextBrowser::backward);
    connect(forward_, &QToolButton::clicked, text_, &QTextBrowser::forward);
    connect(contents_, &QToolButton::clicked, this, [this] { Open(contentsPath_); });
    connect(text_, &QTextBrowser::backwardAvailable, back_, &QToolButton::setEnabled);
    connect(text_, &QTextBrowser::forwardAvailable, forward_, &QToolButton::setEnabled);
    connect(text_, &QTextBrowser::sourceChanged, this, [this] { setWindowTitle(text_->documentTitle()); });
    auto* close = new QAction(this);
    close->setShortcut(QKeySequence(Qt::Key_Escape));
    connect(close, &QAction::triggered, this, &QWidget::close);
    addAction(close);
    resize(760, 600);
  }

  // Shows `page` in the language of `cs`; the buttons take that language's
  // words, and Contents leads to that language's contents page.
  void Show(const ConfigState& cs, const std::string& page) {
    back_->setText(ButtonText(cs, kTextHelpBack));
    forward_->setText(ButtonText(cs, kTextHelpForward));
    contents_->setText(ButtonText(cs, kTextHelpContents));
    contentsPath_ = HelpPagePath(cs.AllgVar.ProgDir, cs.PrgPar.spr, kHelpContents);
    Open(page);
  }

  // While a modal dialog runs, every window outside it is blocked; the help
  // asked for from the dialog must take input, so the browser becomes a
  // window of the dialog until the dialog hides, and then stands alone again.
  void AttachTo(QWidget* modal) {
    if (modal == owner_) return;
    Detach();
    if (modal == nullptr) return;
    const QRect place = geometry();
    const bool shown = isVisible();
    setParent(modal, Qt::Window);
    setGeometry(place);
    if (shown) show();
    owner_ = modal;
    modal->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == owner_ && event->type() == QEvent::Hide) Detach();
    return false;
  }

 private:
  QToolButton* AddButton(const char* name, QStyle::StandardPixmap icon, const QKeySequence& key) {
    auto* b = new QToolButton(this);
    b->setObjectName(name);
    b->setIcon(style()->standardIcon(icon));
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    b->setShortcut(key);
    b->setAutoRaise(true);
    return b;
  }

  void Open(const std::string& page) {
    if (page.empty()) return;
    // The pages share one style sheet beside the language folders; the
    // browser does not follow their link to it, so it is set here.
    const QFileInfo info(QString::fromStdString(page));
    QFile css(info.dir().absoluteFilePath("../help.css"));
    if (css.open(QIODevice::ReadOnly)) text_->document()->setDefaultStyleSheet(QString::fromUtf8(css.readAll()));
    text_->setSource(QUrl::fromLocalFile(info.absoluteFilePath()));
  }

  void Detach() {
    if (owner_ == nullptr) return;
    owner_->removeEventFilter(this);
    owner_ = nullptr;
    const QRect place = geometry();
    const bool shown = isVisible();
    setParent(nullptr, Qt::Window);
    setGeometry(place);
    if (shown) show();
  }

  QTextBrowser* text_;
  QToolButton* back_;
  QToolButton* forward_;
  QToolButton* contents_;
  std::string contentsPath_;
  QPointer<QWidget> owner_;
};

QPointer<HelpBrowser> theBrowser;

}  // namespace

void ShowHelpTopic(QWidget* parent, const ConfigState& cs, int topic) {
  const std::string page = HelpPagePath(cs.AllgVar.ProgDir, cs.PrgPar.spr, topic);
  if (page.empty()) {
    ReportHelpMissing(cs);
    return;
  }
  const bool fresh = theBrowser == nullptr;
  if (fresh) theBrowser = new HelpBrowser;
  theBrowser->AttachTo(QApplication::activeModalWidget());
  theBrowser->Show(cs, page);
  if (fresh && parent != nullptr) {
    // A little below and right of the asking window's corner.
    const QRect asker = parent->window()->frameGeometry();
    theBrowser->move(asker.topLeft() + QPoint(40, 40));
  }
  theBrowser->show();
  theBrowser->raise();
  theBrowser->activateWindow();
}

QWidget* HelpWindow() { return theBrowser; }

}  // namespace qlxs
