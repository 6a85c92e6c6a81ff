// SPDX-License-Identifier: GPL-3.0-or-later
#include "about_box.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace tavrel::linux_qt {

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Tavrel"));
    setObjectName(QStringLiteral("aboutBox"));
    auto* grid = new QGridLayout(this);
    const char* const lines[] = {kVersionText, "(C) 2026 The Tavrel developers",
                                 "Contact: tavrel@example.org", "https://tavrel.example.org"};
    int row = 0;
    for (const char* line : lines) {
        auto* label = new QLabel(QString::fromUtf8(line), this);
        label->setTextFormat(Qt::PlainText);  // no mnemonics, no markup
        grid->addWidget(label, row++, 0);
    }
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    grid->addWidget(ok, 0, 1, Qt::AlignTop);
    grid->setColumnStretch(0, 1);
    grid->setHorizontalSpacing(fontMetrics().averageCharWidth() * 6);
    grid->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace tavrel::linux_qt
