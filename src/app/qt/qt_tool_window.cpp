#include "app/qt/qt_tool_window.hpp"

#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTimer>
#include <algorithm>
#include <iterator>

#include "platform/qt/qt_text.hpp"

namespace zarvo {
namespace {

// The template holders and the placeholder template box are never shown:
// their texts live in the model alone. A widget would lay out megabytes of
// template on the window thread for nothing.
constexpr ControlId kModelOnly[] = {ControlId::编辑框7, ControlId::编辑框8, ControlId::编辑框9,
                                    ControlId::编辑框10};

bool IsModelOnly(ControlId id) {
  return std::find(std::begin(kModelOnly), std::end(kModelOnly), id) != std::end(kModelOnly);
}

// The control whose double-click a watched widget raises.
constexpr char kDoubleClickControl[] = "zarvoDoubleClickControl";

QColor ToQColor(Rgb rgb) { return QColor(rgb.red, rgb.green, rgb.blue); }

QString ColorCss(Rgb rgb) {
  return QStringLiteral("rgb(%1,%2,%3)").arg(rgb.red).arg(rgb.green).arg(rgb.blue);
}

// The model keeps CR LF line breaks as Windows edit controls do; a document
// takes CR LF as one block separator, so the text goes in as it is.
QString ForMultiLineBox(std::string_view gbk) { return FromGbk(gbk); }

// Converted in one pass, line by line: a block separator (Enter) and a line
// separator (Shift+Enter) are both one line break, CR LF, in the model.
std::string FromMultiLineBox(const QPlainTextEdit& box) {
  // Raw text keeps no-break spaces that toPlainText() would turn into spaces.
  const QString raw = box.document()->toRawText();
  const std::u16string_view text(reinterpret_cast<const char16_t*>(raw.utf16()),
                                 static_cast<size_t>(raw.size()));
  const auto isBreak = [](char16_t c) { return c == u'\u2029' || c == u'\u2028'; };
  std::string gbk;
  gbk.reserve(text.size());
  auto line = text.begin();
  for (;;) {
    const auto end = std::find_if(line, text.end(), isBreak);
    gbk += Utf16ToGbk(std::u16string_view(line, end));
    if (end == text.end()) {
      return gbk;
    }
    gbk += "\r\n";
    line = end + 1;
  }
}

// The icon of the Windows program and the Linux package, from the same source.
QIcon AppIcon() {
  QIcon icon;
  icon.addFile(QStringLiteral(":/zarvo750/zarvo750-48.png"));
  icon.addFile(QStringLiteral(":/zarvo750/zarvo750-256.png"));
  return icon;
}

}  // namespace

QtToolWindow::QtToolWindow(ToolWindow& model) : model_(model) {
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setWindowTitle(FromUtf8(kToolWindowLayout.caption));
  setWindowIcon(AppIcon());
  setObjectName(QStringLiteral("ToolWindow"));
  QPalette background = palette();
  background.setColor(QPalette::Window, ToQColor(kToolWindowLayout.background));
  setPalette(background);
  setAutoFillBackground(true);
  setFixedSize(kToolWindowLayout.outerWidth, kToolWindowLayout.outerHeight);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const Place start = CentredOnScreen(screen->geometry().width(), screen->geometry().height());
    move(start.left, start.top);
  }

  for (const ControlEntry& entry : ControlTable()) {
    CreateControl(entry);
  }
  for (const ControlEntry& entry : ControlTable()) {
    ShowAll(entry.id);
  }

  // Esc closes the window whichever control has the focus.
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  escape->setContext(Qt::WindowShortcut);
  connect(escape, &QShortcut::activated, this, &QWidget::close);

  model_.SetView(this);
}

QtToolWindow::~QtToolWindow() { model_.SetView(nullptr); }

void QtToolWindow::CreateControl(const ControlEntry& entry) {
  if (IsModelOnly(entry.id)) {
    return;
  }
  QWidget* parent = entry.container ? Widget(*entry.container) : this;
  const ControlId id = entry.id;
  QWidget* widget = nullptr;
  switch (entry.kind) {
    case ControlKind::GroupBox:
      widget = new QGroupBox(parent);
      break;
    case ControlKind::Label: {
      auto* label = new QLabel(parent);
      label->setTextFormat(Qt::PlainText);
      label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
      label->setAutoFillBackground(false);  // drawn on its container's background
      widget = label;
      break;
    }
    case ControlKind::Selector: {
      auto* box = new QComboBox(parent);
      // activated comes with every confirmed pick, also of the shown item, and
      // with arrow keys or the wheel on the closed selector.
      connect(box, &QComboBox::activated, this,
              [this, id](int index) { model_.PickByUser(id, index); });
      widget = box;
      break;
    }
    case ControlKind::EditBox: {
      auto* box = new QLineEdit(parent);
      connect(box, &QLineEdit::textEdited, this, [this, id] { model_.MarkEditedByUser(id); });
      widget = box;
      break;
    }
    case ControlKind::MultiLineEditBox:
      widget = NewMultiLineBox(entry, parent);
      break;
    case ControlKind::Button:
    case ControlKind::FlatButton:
      widget = NewButton(entry, parent);
      break;
    case ControlKind::List:
      widget = new QListWidget(parent);
      break;
    case ControlKind::Timer:
      timer_ = new QTimer(this);
      timer_->setInterval(entry.intervalMs);
      connect(timer_, &QTimer::timeout, this, [this, id] { model_.Raise(id, Event::Tick); });
      return;
    case ControlKind::FileDialog:
      return;  // never opened
  }
  widget->setObjectName(FromUtf8(entry.name));
  widget->setGeometry(entry.place.left, entry.place.top, entry.place.width, entry.place.height);
  if (entry.kind == ControlKind::Label || entry.kind == ControlKind::GroupBox) {
    QPalette colors = widget->palette();
    colors.setColor(QPalette::WindowText, ToQColor(entry.textColor));
    widget->setPalette(colors);
  }
  widgets_[static_cast<size_t>(id)] = widget;
}

QWidget* QtToolWindow::NewMultiLineBox(const ControlEntry& entry, QWidget* parent) {
  const ControlId id = entry.id;
  auto* box = new QPlainTextEdit(parent);
  box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  box->setTabChangesFocus(true);
  box->setFrameShadow(QFrame::Sunken);
  box->setLineWidth(entry.border == EditBorder::ThinSunken ? 1 : 2);
  connect(box, &QPlainTextEdit::textChanged, this, [this, id] {
    lastShown_.reset();  // the model's text of this box is about to change
    model_.MarkEditedByUser(id);
  });
  if (IsBound(id, Event::DoubleClick)) {
    // A double-click lands on the viewport, inside the frame.
    box->viewport()->setProperty(kDoubleClickControl, static_cast<int>(id));
    box->viewport()->installEventFilter(this);
  }
  return box;
}

QWidget* QtToolWindow::NewButton(const ControlEntry& entry, QWidget* parent) {
  const ControlId id = entry.id;
  auto* button = new QPushButton(parent);
  button->setAutoDefault(false);
  button->setDefault(false);
  if (entry.kind == ControlKind::FlatButton) {
    button->setFlat(true);
    button->setStyleSheet(QStringLiteral("QPushButton { border: none; outline: none; "
                                         "background: white; color: %1; }"
                                         "QPushButton:hover { color: %2; }")
                              .arg(ColorCss(entry.textColor), ColorCss(entry.hoverColor)));
  }
  connect(button, &QPushButton::clicked, this, [this, id] { model_.Raise(id, Event::Click); });
  return button;
}

void QtToolWindow::ShowAll(ControlId id) {
  if (Widget(id) == nullptr) {
    return;
  }
  if (Entry(id).kind == ControlKind::Selector) {
    auto* box = static_cast<QComboBox*>(Widget(id));
    const QSignalBlocker blocker(box);
    for (const std::string& item : model_.Items(id)) {
      box->addItem(FromGbk(item));
    }
  }
  for (Field field : {Field::Text, Field::Visible, Field::Enabled, Field::Selection, Field::Bold}) {
    FieldChanged(id, field);
  }
}

void QtToolWindow::StartTimer() {
  if (timer_ != nullptr) {
    timer_->start();
  }
}

void QtToolWindow::FieldChanged(ControlId id, Field field) {
  QWidget* widget = Widget(id);
  if (widget == nullptr) {
    return;
  }
  const ControlKind kind = Entry(id).kind;
  // Showing a field is no user action: no signal may reach the model.
  const QSignalBlocker blocker(widget);
  switch (field) {
    case Field::Text: {
      const std::string& text = model_.Text(id);
      if (kind == ControlKind::MultiLineEditBox) {
        const bool pending = lastShown_.has_value();
        lastShown_ = Shown{text, ForMultiLineBox(text)};
        static_cast<QPlainTextEdit*>(widget)->setPlainText(lastShown_->text);
        if (!pending) {
          // Only for the handler under way: no copy of a large text stays.
          QTimer::singleShot(0, this, [this] { lastShown_.reset(); });
        }
      } else if (kind == ControlKind::EditBox) {
        static_cast<QLineEdit*>(widget)->setText(FromGbk(text));
      } else if (kind == ControlKind::Label) {
        static_cast<QLabel*>(widget)->setText(FromGbk(text));
      } else if (kind == ControlKind::GroupBox) {
        static_cast<QGroupBox*>(widget)->setTitle(FromGbk(text));
      } else if (kind == ControlKind::Button || kind == ControlKind::FlatButton) {
        static_cast<QPushButton*>(widget)->setText(FromGbk(text));
      }
      break;
    }
    case Field::Visible:
      widget->setVisible(model_.Visible(id));
      break;
    case Field::Enabled:
      widget->setEnabled(model_.Enabled(id));
      break;
    case Field::Selection:
      if (kind == ControlKind::Selector) {
        static_cast<QComboBox*>(widget)->setCurrentIndex(model_.Selection(id));
      }
      break;
    case Field::Bold:
      if (Entry(id).bold) {
        // Weight 700 at 12 pixels, or the font's normal weight while busy.
        QFont font = widget->font();
        font.setPixelSize(12);
        font.setBold(model_.Bold(id));
        widget->setFont(font);
      }
      break;
  }
}

std::optional<QString> QtToolWindow::ShownText(std::string_view gbk) const {
  if (lastShown_ && lastShown_->gbk.data() == gbk.data() && lastShown_->gbk.size() == gbk.size()) {
    return lastShown_->text;
  }
  return std::nullopt;
}

std::string QtToolWindow::EditedText(ControlId id) {
  QWidget* widget = Widget(id);
  switch (Entry(id).kind) {
    case ControlKind::MultiLineEditBox:
      return FromMultiLineBox(*static_cast<QPlainTextEdit*>(widget));
    case ControlKind::EditBox:
      return ToGbk(static_cast<QLineEdit*>(widget)->text());
    default:
      return {};
  }
}

bool QtToolWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonDblClick) {
    const QVariant control = watched->property(kDoubleClickControl);
    if (control.isValid()) {
      model_.Raise(static_cast<ControlId>(control.toInt()), Event::DoubleClick);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

bool QtToolWindow::event(QEvent* event) {
  const bool handled = QWidget::event(event);
  // A reparenting window manager tells its frame after the window is mapped:
  // the client moves into the frame (or at the latest the window becomes
  // active), and only then does frameGeometry() count the frame.
  switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::WindowActivate:
      if (isVisible()) {
        FitOuterSize();
      }
      break;
    default:
      break;
  }
  return handled;
}

// The outer size counts the window manager's frame. Without one the client
// area keeps the whole outer size.
void QtToolWindow::FitOuterSize() {
  const QRect frame = frameGeometry();
  const QRect client = geometry();
  if (frame == client) {
    return;
  }
  const QSize clientSize(kToolWindowLayout.outerWidth - (frame.width() - client.width()),
                         kToolWindowLayout.outerHeight - (frame.height() - client.height()));
  if (client.size() != clientSize) {
    setFixedSize(clientSize);
  }
  // Centred once, on the first frame; a window the user moved stays put.
  if (!centredWithFrame_) {
    centredWithFrame_ = true;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
      const Place start = CentredOnScreen(screen->geometry().width(), screen->geometry().height());
      move(start.left, start.top);
    }
  }
}

}  // namespace zarvo
