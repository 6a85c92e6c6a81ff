// SPDX-License-Identifier: GPL-3.0-or-later
#include "history_window.h"

#include <system_error>

#include <QCloseEvent>
#include <QComboBox>
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

HistoryWindow::HistoryWindow(Clock& clock, std::function<HistoryPlaces()> places)
    : QWidget(nullptr, Qt::Window), places_(std::move(places)), browser_(clock) {
    setWindowTitle(QStringLiteral("Tavrel History"));
    setObjectName(QStringLiteral("history"));
    Build();
    connect(&loader_, &HistoryLoader::loaded, this, &HistoryWindow::Show);
}

void HistoryWindow::Build() {
    static const char* const kTexts[kHistoryButtonCount] = {
        "&Day", "&Week", "&30 days", "&Previous", "&Next", "&Today", "Open &folder"};
    static const char* const kNames[kHistoryButtonCount] = {
        "day", "week", "thirtyDays", "previous", "next", "today", "openFolder"};
    choice_ = new QComboBox(this);
    choice_->setObjectName(QStringLiteral("computer"));
    choice_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    choice_->hide();  // until a shared folder names other computers
    auto* row = new QHBoxLayout;
    for (int i = 0; i < kHistoryButtonCount; ++i) {
        auto* button = new QPushButton(QString::fromUtf8(kTexts[i]), this);
        button->setObjectName(QString::fromUtf8(kNames[i]));
        button->setAutoDefault(false);
        buttons_[i] = button;
        if (i == kPreviousButton || i == kOpenFolderButton) row->addSpacing(12);
        if (i == kOpenFolderButton) {
            row->addWidget(choice_);
            row->addStretch(1);
        }
        row->addWidget(button);
    }
    for (const int view : {kDayButton, kWeekButton, kThirtyDaysButton}) {
        buttons_[view]->setCheckable(true);
    }
    connect(buttons_[kDayButton], &QPushButton::clicked, this,
            [this] { Load(browser_.ShowView(HistoryView::Day)); });
    connect(buttons_[kWeekButton], &QPushButton::clicked, this,
            [this] { Load(browser_.ShowView(HistoryView::Week)); });
    connect(choice_, QOverload<int>::of(&QComboBox::activated), this, [this](int index) {
        Load(browser_.ShowComputer(choice_->itemData(index).toString().toStdString()));
    });
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
    limitChoice_ = new QComboBox(this);
    limitChoice_->setObjectName(QStringLiteral("mouseLimit"));
    limitChoice_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    limitChoice_->hide();  // until there is a limit to set
    connect(limitChoice_, QOverload<int>::of(&QComboBox::activated), this,
            &HistoryWindow::ChooseLimit);
    auto* headingRow = new QHBoxLayout;
    headingRow->addWidget(heading_, 1);
    headingRow->addWidget(limitChoice_);
    plot_ = new PlotView(this);
    plot_->SetBuilder([this](PlotSize size) { return browser_.Scene(size); });
    totals_ = new QLabel(this);
    totals_->setObjectName(QStringLiteral("totals"));
    totals_->setTextFormat(Qt::PlainText);
    totals_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Three lines always, so that the chart keeps its height from view to view.
    totals_->setMinimumHeight(fontMetrics().lineSpacing() * 3 + 4);
    totals_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    computers_ = new QLabel(this);
    computers_->setObjectName(QStringLiteral("computers"));
    computers_->setTextFormat(Qt::PlainText);
    computers_->setWordWrap(true);
    computers_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* column = new QVBoxLayout(this);
    column->addLayout(row);
    column->addLayout(headingRow);
    column->addWidget(plot_, 1);
    column->addWidget(totals_);
    column->addWidget(computers_);
    resize(860, 660);
}

void HistoryWindow::Open() {
    UpdateLimitChoice();
    show();
    raise();
    activateWindow();
    Load(browser_.Open());
}

void HistoryWindow::Load(const HistoryQuery& query) {
    loader_.Request(query, places_());
    UpdateControls();
}

void HistoryWindow::OpenFolder() {
    // The file manager is shown the folder even before the first minute is written.
    const std::filesystem::path folder = places_().local;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    const QString path = QString::fromStdString(folder.string());
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
        QMessageBox::information(this, windowTitle(),
                                 QStringLiteral("Can't open the folder %1.").arg(path));
    }
}

void HistoryWindow::Show(const HistoryResult& result) {
    if (!browser_.Accept(result)) return;
    UpdateComputerChoice();
    UpdateControls();
}

void HistoryWindow::UpdateComputerChoice() {
    const HistoryBrowser::ComputerChoices choices = browser_.Computers();
    const QSignalBlocker block(choice_);
    choice_->clear();
    for (const auto& [text, id] : choices.entries) {
        choice_->addItem(QString::fromStdString(text), QString::fromStdString(id));
    }
    choice_->setCurrentIndex(static_cast<int>(choices.chosen));
    choice_->setVisible(choices.shown);
}

void HistoryWindow::UpdateLimitChoice() {
    limitChoice_->setVisible(limit_ != nullptr);
    if (limit_ == nullptr) return;
    const QSignalBlocker block(limitChoice_);
    limitChoice_->clear();
    for (const int minutes : MouseLimitChoices(limit_->minutes())) {
        limitChoice_->addItem(QString::fromStdString(MouseLimitText(minutes)), minutes);
    }
    limitChoice_->setCurrentIndex(limitChoice_->findData(limit_->minutes()));
}

void HistoryWindow::ChooseLimit(int index) {
    if (limit_ == nullptr) return;
    if (!limit_->Set(limitChoice_->itemData(index).toInt())) {
        QMessageBox::warning(this, windowTitle(), QString::fromLatin1(kWriteFailedText));
    }
    UpdateLimitChoice();  // as stored
    emit changed();
}

void HistoryWindow::UpdateControls() {
    const HistoryView view = browser_.view();
    buttons_[kDayButton]->setChecked(view == HistoryView::Day);
    buttons_[kWeekButton]->setChecked(view == HistoryView::Week);
    buttons_[kThirtyDaysButton]->setChecked(view == HistoryView::ThirtyDays);
    buttons_[kNextButton]->setEnabled(browser_.canStepForward());
    heading_->setText(QString::fromStdString(browser_.Heading()));
    const QScreen* where = screen();
    const double dpi = countsPerInch_ > 0 ? countsPerInch_
                       : where != nullptr ? where->physicalDotsPerInch()
                                          : 0;
    totals_->setText(QString::fromStdString(browser_.TotalsText(dpi)));
    const QString computers = QString::fromStdString(browser_.ComputersText());
    computers_->setText(computers);
    computers_->setVisible(!computers.isEmpty());
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
