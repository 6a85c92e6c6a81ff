#include "history_window.h"

#include <system_error>

#include <QCloseEvent>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>

#include "plot_view.h"

namespace tavrel::linux_qt {

HistoryWindow::HistoryWindow(Clock& clock, std::filesystem::path folder)
    : QWidget(nullptr, Qt::Window), folder_(folder), loader_(std::move(folder)), browser_(clock) {
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
            [this] { Load(browser_.ShowView(HistoryView::Day)); });
    connect(buttons_[kThirtyDaysButton], &QPushButton::clicked, this,
            [this] { Load(browser_.ShowView(HistoryView::ThirtyDays)); });
    connect(buttons_[kPreviousButton], &QPushButton::clicked, this,
            [this] { Load(browser_.Step(-1)); });
    connect(buttons_[kNextButton], &QPushButton::clicked, this,
            [this] { Load(browser_.Step(+1)); });
    connect(buttons_[kTodayButton], &QPushButton::clicked, this,
            [this] { Load(browser_.GoToday()); });
    connect(buttons_[kOpenFolderButton], &QPushButton::clicked, this, &HistoryWindow::OpenFolder);

    heading_ = new QLabel(this);
    heading_->setObjectName(QStringLiteral("heading"));
    QFont bold = heading_->font();
    bold.setBold(true);
    heading_->setFont(bold);
    plot_ = new PlotView(this);
    plot_->SetBuilder([this](PlotSize size) { return browser_.Scene(size); });
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

void HistoryWindow::Open() {
    show();
    raise();
    activateWindow();
    Load(browser_.Open());
}

void HistoryWindow::Load(const HistoryQuery& query) {
    loader_.Request(query);
    UpdateControls();
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
    if (browser_.Accept(result)) UpdateControls();
}

void HistoryWindow::UpdateControls() {
    const bool day = browser_.view() == HistoryView::Day;
    buttons_[kDayButton]->setChecked(day);
    buttons_[kThirtyDaysButton]->setChecked(!day);
    buttons_[kNextButton]->setEnabled(browser_.canStepForward());
    heading_->setText(QString::fromStdString(browser_.Heading()));
    const QScreen* where = screen();
    const double dpi = countsPerInch_ > 0 ? countsPerInch_
                       : where != nullptr ? where->physicalDotsPerInch()
                                          : 0;
    totals_->setText(QString::fromStdString(browser_.TotalsText(dpi)));
    plot_->Rebuild();
    emit changed();
}

void HistoryWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    emit changed();
}

void HistoryWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    emit changed();
}

void HistoryWindow::closeEvent(QCloseEvent* event) {
    // Nobody is looking: a read under way stops at its next file, and the window opens at
    // today the next time.
    loader_.Cancel();
    browser_.Close();
    QWidget::closeEvent(event);
}

void HistoryWindow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
            close();
            return;
        case Qt::Key_Left:
            Load(browser_.Step(-1));
            return;
        case Qt::Key_Right:
            if (browser_.canStepForward()) Load(browser_.Step(+1));
            return;
        case Qt::Key_Home:
            Load(browser_.GoToday());
            return;
        default:
            QWidget::keyPressEvent(event);
    }
}

}  // namespace tavrel::linux_qt
