// SPDX-License-Identifier: GPL-3.0-or-later
#include "monitor_window.h"

#include <algorithm>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QWindow>

#include "about_box.h"
#include "dialog_units.h"
#include "frame_group_box.h"
#include "tavrel/monitor_controller.h"
#include "tavrel/setting_fields.h"

namespace tavrel::linux_qt {

namespace {

constexpr int kWidthUnits = 212;
constexpr int kHeightUnits = 285;

// A radio button that leaves its check mark alone when clicked: the settings code sets both
// marks itself, and a Cancel at the save question must find them as they were.
class PlainRadioButton final : public QRadioButton {
  public:
    using QRadioButton::QRadioButton;

  protected:
    void nextCheckState() override {}
};

// The settings fields stand in one column, a row each in the order of SettingId, which is
// also the tab order; their labels end where the fields begin.
constexpr int kFieldX = 70, kFieldW = 36, kFieldH = 12;
constexpr int kFirstFieldY = 15, kFieldPitch = 17;
constexpr int kLabelX = 7, kLabelW = 54, kLabelDrop = 2;

// The field's object name: its store key with a small first letter ("BreakLimit": "breakLimit").
QString FieldName(const SettingField& field) {
    QString name = QString::fromLatin1(field.key);
    if (!name.isEmpty()) name[0] = name[0].toLower();
    return name;
}

struct ReadoutPlace {
    const char* name;
    const char* label;  // null: none
    int labelX, labelW;
    int x, y, w, h;
    const char* placeholder;
    int chars;  // the widest text its format gives
};

// In the order of Readout.
constexpr ReadoutPlace kReadouts[kReadoutCount] = {
    {"tickCount", nullptr, 0, 0, 65, 257, 31, 13, "---", 6},
    {"distance", "Distance", 39, 29, 74, 170, 23, 8, "000.00", 6},
    {"dragDistance", "Drag distance", 23, 45, 74, 200, 33, 8, "00000000", 8},
    {"clicks", "Clicks", 48, 20, 74, 186, 23, 8, "000.00", 6},
    {"pain", "Pain", 53, 15, 74, 215, 33, 8, "00000000", 8},
    {"totalDistance", "Total Distance", 21, 47, 74, 230, 49, 8, "000000000000", 12},
    {"totalKeys", "Total Keypresses", 13, 55, 74, 245, 49, 8, "000000000000", 12},
};

QLabel* RightLabel(const char* text, QWidget* parent) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignTop);
    return label;
}

}  // namespace

MonitorWindow::MonitorWindow() {
    setWindowTitle(QStringLiteral("Tavrel"));
    setObjectName(QStringLiteral("monitorWindow"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/tavrel.ico")));
    Build();
}

void MonitorWindow::Build() {
    std::vector<UnitBox> boxes;
    // Created in the Windows template's order, which makes the tab order.
    for (int i = 0; i < kSettingCount; ++i) {
        const SettingField& field = FindSettingField(SettingAt(i));
        auto* edit = new QLineEdit(this);
        edit->setObjectName(FieldName(field));
        if (field.digitsOnly) {
            edit->setValidator(new QRegularExpressionValidator(
                QRegularExpression(QStringLiteral("[0-9]*")), edit));
        }
        edit->installEventFilter(this);
        connect(edit, &QLineEdit::textChanged, this, &MonitorWindow::changed);
        fields_[i] = edit;
        boxes.push_back({edit, kFieldX, kFirstFieldY + i * kFieldPitch, kFieldW, kFieldH});
    }
    auto* painfulBox = new FrameGroupBox(QStringLiteral("Painful?"), this);
    boxes.push_back({painfulBox, 149, 60, 50, 38});
    save_ = new QPushButton(QStringLiteral("&Save"), this);
    save_->setObjectName(QStringLiteral("save"));
    save_->setDefault(true);
    boxes.push_back({save_, 158, 33, 41, 15});
    quit_ = new QPushButton(QStringLiteral("&Quit"), this);
    quit_->setObjectName(QStringLiteral("quit"));
    boxes.push_back({quit_, 158, 15, 41, 14});
    debug_ = new QPushButton(QString::fromLatin1(kShowDebugInfo), this);
    debug_->setObjectName(QStringLiteral("debugInfo"));
    boxes.push_back({debug_, 115, 132, 81, 14});
    painful_ = new PlainRadioButton(QStringLiteral("&Painful"), this);
    painful_->setObjectName(QStringLiteral("painful"));
    boxes.push_back({painful_, 156, 71, 37, 10});
    normal_ = new PlainRadioButton(QStringLiteral("&Normal"), this);
    normal_->setObjectName(QStringLiteral("normal"));
    boxes.push_back({normal_, 156, 84, 38, 10});
    for (QRadioButton* radio : {painful_, normal_}) {
        radio->setAutoExclusive(false);
        radio->setFocusPolicy(Qt::ClickFocus);  // not reached with Tab
    }

    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    for (int i = 0; i < kReadoutCount; ++i) {
        const ReadoutPlace& place = kReadouts[i];
        if (place.label != nullptr) {
            boxes.push_back(
                {RightLabel(place.label, this), place.labelX, place.y, place.labelW, 8});
        }
        auto* value = new QLabel(QString::fromLatin1(place.placeholder), this);
        value->setObjectName(QString::fromLatin1(place.name));
        value->setFont(fixed);
        value->setTextFormat(Qt::PlainText);
        value->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        readouts_[i] = value;
        boxes.push_back({value, place.x, place.y, place.w, place.h, place.chars});
        if (i == static_cast<int>(Readout::TotalDistance)) {
            reset_ = new QPushButton(QStringLiteral("RESET"), this);
            reset_->setObjectName(QStringLiteral("reset"));
            boxes.push_back({reset_, 11, 261, 34, 14});
        }
    }
    auto* debugBox = new FrameGroupBox(QStringLiteral("Debugging Information"), this);
    boxes.push_back({debugBox, 7, 159, 198, 119});
    for (int i = 0; i < kSettingCount; ++i) {
        QLabel* label = RightLabel(FindSettingField(SettingAt(i)).label, this);
        label->setBuddy(fields_[i]);
        boxes.push_back({label, kLabelX, kFirstFieldY + i * kFieldPitch + kLabelDrop, kLabelW, 8});
    }
    // The frames are drawn behind the controls they surround and take no clicks from them.
    painfulBox->lower();
    debugBox->lower();

    // Where input is not counted the window says so in plain words, below everything else.
    notice_ = new QLabel(this);
    notice_->setObjectName(QStringLiteral("captureNotice"));
    notice_->setWordWrap(true);
    notice_->setTextFormat(Qt::PlainText);
    notice_->hide();
    alarmStatus_ = new QLabel(this);
    alarmStatus_->setObjectName(QStringLiteral("alarmStatus"));
    alarmStatus_->setWordWrap(true);
    alarmStatus_->setTextFormat(Qt::PlainText);
    alarmStatus_->hide();
    todayUse_ = new QLabel(this);
    todayUse_->setObjectName(QStringLiteral("todayUse"));
    todayUse_->setTextFormat(Qt::PlainText);
    todayUse_->hide();

    const DialogUnits units = DialogUnits::Fit(*this, boxes);
    units.Place(boxes);
    baseSize_ = units.Size(kWidthUnits, kHeightUnits);
    const QRect textRect = units.Rect(7, kHeightUnits - 2, kWidthUnits - 14, 8);
    notice_->setGeometry(textRect);
    alarmStatus_->setGeometry(textRect);
    todayUse_->setGeometry(textRect);
    textTop_ = textRect.y();
    setFixedSize(baseSize_);

    // The About box is offered where Windows has its system-menu entry: the window's menu.
    auto* about = new QAction(QStringLiteral("&About Tavrel..."), this);
    connect(about, &QAction::triggered, this, &MonitorWindow::ShowAbout);
    addAction(about);
    setContextMenuPolicy(Qt::ActionsContextMenu);
}

bool MonitorWindow::eventFilter(QObject* watched, QEvent* event) {
    // An edit reaches the settings when its field loses the focus, whatever took it.
    if (event->type() == QEvent::FocusOut) {
        for (int i = 0; i < kSettingCount; ++i) {
            if (watched == fields_[i]) {
                emit fieldLeft(i, fields_[i]->text().toUtf8());
                break;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void MonitorWindow::reject() {
    emit hideRequested();
}

void MonitorWindow::closeEvent(QCloseEvent* event) {
    if (quitting_) {
        event->accept();
        return;
    }
    // The close box hides the window; only Quit ends the program.
    event->ignore();
    emit hideRequested();
}

void MonitorWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    ++shownCount_;
    emit changed();
}

void MonitorWindow::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    ++hiddenCount_;
    emit changed();
}

void MonitorWindow::AddMenuEntry(const QString& text, std::function<void()> action) {
    auto* entry = new QAction(text, this);
    connect(entry, &QAction::triggered, this, std::move(action));
    addAction(entry);
}

void MonitorWindow::ShowAbout() {
    AboutBox about(this);
    about.exec();
}

void MonitorWindow::ShowMessage(const char* text) {
    QMessageBox::information(this, QStringLiteral("Tavrel"), QString::fromUtf8(text));
}

Answer MonitorWindow::AskYesNoCancel(const char* text) {
    const auto answer = QMessageBox::question(
        this, QStringLiteral("Tavrel"), QString::fromUtf8(text),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    switch (answer) {
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        case QMessageBox::Cancel:
            return Answer::Cancel;
        default:
            return Answer::Other;
    }
}

void MonitorWindow::ShowingWithoutActivation(bool on) {
    setAttribute(Qt::WA_ShowWithoutActivating, on);
    // The attribute reaches a window that already exists only through its property.
    if (QWindow* handle = windowHandle()) handle->setProperty("_q_showWithoutActivating", on);
}

void MonitorWindow::Raise() {
    ShowingWithoutActivation(false);
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
}

void MonitorWindow::ShowWithoutFocus() {
    // Mapped with a user time of 0, so the window manager leaves the focus where it is; and no
    // activation: keys meant for the user's program must never reach a settings field.
    ShowingWithoutActivation(true);
    if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
    if (!isVisible()) show();
    raise();
}

void MonitorWindow::HideToBottom() {
    lower();
    hide();
}

void MonitorWindow::Minimize() {
    showMinimized();
}

void MonitorWindow::FlashCaption(bool invert) {
    // The desktop's own attention mark (a flashing task-bar entry or caption) stays until the
    // window is activated: ask once per alarm, not on every flash.
    if (invert && !alerted_) QApplication::alert(this);
    alerted_ = invert;
}

void MonitorWindow::SetReadout(Readout readout, const char* text) {
    readouts_[static_cast<int>(readout)]->setText(QString::fromLatin1(text));
    emit changed();
}

void MonitorWindow::SetDebugInfoCaption(const char* text) {
    debug_->setText(QString::fromLatin1(text));
    emit changed();
}

void MonitorWindow::SetCaptureNotice(const char* text) {
    SetLine(*notice_, text);
}

void MonitorWindow::SetAlarmStatus(const char* text) {
    SetLine(*alarmStatus_, text);
}

void MonitorWindow::SetTodayUse(const char* text) {
    SetLine(*todayUse_, text);
}

void MonitorWindow::SetLine(QLabel& line, const char* text) {
    const QString now = QString::fromUtf8(text != nullptr ? text : "");
    if (now == line.text()) return;
    line.setText(now);
    FitToTexts();
    emit changed();
}

void MonitorWindow::FitToTexts() {
    int y = textTop_;
    int bottom = baseSize_.height();
    for (QLabel* label : {todayUse_, alarmStatus_, notice_}) {
        const bool show = !label->text().isEmpty();
        label->setVisible(show);
        if (!show) continue;
        const int textHeight = label->heightForWidth(label->width());
        label->setGeometry(label->x(), y, label->width(), textHeight);
        y += textHeight + fontMetrics().height() / 2;
        bottom = std::max(bottom, y);
    }
    setFixedSize(baseSize_.width(), bottom);
}

void MonitorWindow::Close() {
    // Not quit(): that asks every window to close, and this one would refuse.
    quitting_ = true;
    QCoreApplication::exit(0);
}

void MonitorWindow::SetFieldInt(SettingId field, std::int32_t value) {
    fields_[static_cast<int>(field)]->setText(QString::number(value));
}

void MonitorWindow::SetSetChecked(SetButton button, bool checked) {
    (button == SetButton::Painful ? painful_ : normal_)->setChecked(checked);
    emit changed();
}

void MonitorWindow::SetSaveEnabled(bool enabled) {
    // A disabled button keeps no focus: hand it on, or the keyboard goes dead.
    if (!enabled && save_->hasFocus()) focusNextChild();
    save_->setEnabled(enabled);
    emit changed();
}

}  // namespace tavrel::linux_qt
