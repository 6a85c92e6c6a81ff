#include "history_window.h"

#include <system_error>

#include <QDate>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>

#include "plot_view.h"
#include "tavrel/history_views.h"

namespace tavrel::linux_qt {

namespace {

QDate ToQDate(const LocalDate& date) {
    return QDate(date.year, date.month, date.day);
}

int Compare(const LocalDate& a, const LocalDate& b) {
    const std::int32_t da = DayNumber(a), db = DayNumber(b);
    return da < db ? -1 : da > db ? 1 : 0;
}

}  // namespace

HistoryWindow::HistoryWindow(Clock& clock, std::filesystem::path folder)
    : QWidget(nullptr, Qt::Window), clock_(clock), folder_(folder), loader_(std::move(folder)) {
    setWindowTitle(QStringLiteral("Tavrel History"));
    setObjectName(QStringLiteral("history"));
    Build();
    connect(&loader_, &HistoryLoader::loaded, this, &HistoryWindow::Show);
}

void HistoryWindow::Build() {
    static const char* const kTexts[kHistoryButtonCount] = {"&Day",  "&30 days", "&Previous",
                                                            "&Next", "&Today",   "Open &folder"};
    static const char* const kNames[kHistoryButtonCount] = {"day",  "thirtyDays", "previous",
                                                            "next", "today",      "openFolder"};
    auto* row = new QHBoxLayout;
    for (int i = 0; i < kHistoryButtonCount; ++i) {
        auto* button = new QPushButton(QString::fromUtf8(kTexts[i]), this);
        button->setObjectName(QString::fromUtf8(kNames[i]));
        button->setAutoDefault(false);
        buttons_[i] = button;
        if (i == kPreviousButton || i == kOpenFolderButton) row->addSpacing(12);
        if (i == kOpenFolderButton) row->addStretch(1);
        row->addWidget(button);
    }
    buttons_[kDayButton]->setCheckable(true);
    buttons_[kThirtyDaysButton]->setCheckable(true);
    connect(buttons_[kDayButton], &QPushButton::clicked, this,
            [this] { SetView(HistoryView::Day); });
    connect(buttons_[kThirtyDaysButton], &QPushButton::clicked, this,
            [this] { SetView(HistoryView::ThirtyDays); });
    connect(buttons_[kPreviousButton], &QPushButton::clicked, this, [this] { Step(-1); });
    connect(buttons_[kNextButton], &QPushButton::clicked, this, [this] { Step(1); });
    connect(buttons_[kTodayButton], &QPushButton::clicked, this, &HistoryWindow::GoToday);
    connect(buttons_[kOpenFolderButton], &QPushButton::clicked, this, &HistoryWindow::OpenFolder);

    heading_ = new QLabel(this);
    heading_->setObjectName(QStringLiteral("heading"));
    QFont bold = heading_->font();
    bold.setBold(true);
    heading_->setFont(bold);
    plot_ = new PlotView(this);
    totals_ = new QLabel(this);
    totals_->setObjectName(QStringLiteral("totals"));
    totals_->setTextFormat(Qt::PlainText);
    totals_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Three lines always, so that the chart keeps its height from view to view.
    totals_->setMinimumHeight(fontMetrics().lineSpacing() * 3 + 4);
    totals_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* column = new QVBoxLayout(this);
    column->addLayout(row);
    column->addWidget(heading_);
    column->addWidget(plot_, 1);
    column->addWidget(totals_);
    resize(860, 660);
}

LocalDate HistoryWindow::Today() {
    const SystemTime now = clock_.LocalNow().time;
    return LocalDate{now.year, now.month, now.day};
}

void HistoryWindow::Open() {
    if (!opened_) {
        opened_ = true;
        query_ = HistoryQuery{HistoryView::Day, Today()};
    }
    show();
    raise();
    activateWindow();
    Load();
}

void HistoryWindow::Load() {
    loader_.Request(query_);
    UpdateControls();
}

void HistoryWindow::SetView(HistoryView view) {
    query_.view = view;
    Load();
}

void HistoryWindow::Step(int direction) {
    const int days = query_.view == HistoryView::Day ? 1 : kHistoryDays;
    const LocalDate today = Today();
    query_.date = AddDays(query_.date, direction * days);
    // The future has no history: a step past today stops at it.
    if (Compare(query_.date, today) > 0) query_.date = today;
    Load();
}

void HistoryWindow::GoToday() {
    query_.date = Today();
    Load();
}

void HistoryWindow::OpenFolder() {
    // The file manager is shown the folder even before the first minute is written.
    std::error_code error;
    std::filesystem::create_directories(folder_, error);
    const QString path = QString::fromStdString(folder_.string());
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
        QMessageBox::information(this, windowTitle(),
                                 QStringLiteral("Can't open the folder %1.").arg(path));
    }
}

void HistoryWindow::Show(const HistoryResult& result) {
    shown_ = result;
    hasResult_ = true;
    lastReadMs_ = result.readMs;
    if (result.query.view == HistoryView::Day) {
        const DayDetail& day = shown_.day;
        plot_->SetBuilder([&day](PlotSize size) { return BuildDayView(day, size); });
        const QScreen* where = screen();
        const double dpi = countsPerInch_ > 0 ? countsPerInch_
                           : where != nullptr ? where->physicalDotsPerInch()
                                              : 0;
        totals_->setText(QString::fromStdString(DayTotalsText(day.totals, dpi)));
    } else {
        const std::vector<DayTotals>& days = shown_.days;
        plot_->SetBuilder([&days](PlotSize size) { return BuildMonthView(days, size); });
        totals_->clear();
    }
    UpdateControls();
}

void HistoryWindow::UpdateControls() {
    const bool day = query_.view == HistoryView::Day;
    buttons_[kDayButton]->setChecked(day);
    buttons_[kThirtyDaysButton]->setChecked(!day);
    buttons_[kNextButton]->setEnabled(Compare(query_.date, Today()) < 0);
    const QLocale locale;
    const QDate last = ToQDate(query_.date);
    QString text =
        day ? locale.toString(last, QLocale::LongFormat)
            : QStringLiteral("%1 to %2")
                  .arg(locale.toString(last.addDays(1 - kHistoryDays), QLocale::ShortFormat),
                       locale.toString(last, QLocale::ShortFormat));
    if (loader_.busy()) text += QStringLiteral("  (reading...)");
    heading_->setText(text);
    emit changed();
}

void HistoryWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    emit changed();
}

void HistoryWindow::hideEvent(QHideEvent* event) {
    // Nobody is looking: a read under way stops at its next file.
    loader_.Cancel();
    QWidget::hideEvent(event);
    UpdateControls();
}

void HistoryWindow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
            close();
            return;
        case Qt::Key_Left:
            Step(-1);
            return;
        case Qt::Key_Right:
            if (buttons_[kNextButton]->isEnabled()) Step(1);
            return;
        case Qt::Key_Home:
            GoToday();
            return;
        default:
            QWidget::keyPressEvent(event);
    }
}

}  // namespace tavrel::linux_qt
