#include "search_progress.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "regional_settings.h"

SearchProgress::SearchProgress(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("SearchProgress"));
    setWindowTitle(QStringLiteral("Поиск"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setModal(true);

    sets_ = new QLabel(this);
    sets_->setObjectName(QStringLiteral("setsFound"));
    time_ = new QLabel(this);
    time_->setObjectName(QStringLiteral("elapsed"));
    // Room for large counts, so that the window does not grow while it counts.
    sets_->setMinimumWidth(sets_->fontMetrics().horizontalAdvance(QStringLiteral("000 000 000 000")));
    cancel_ = new QPushButton(QStringLiteral("Отмена"), this);
    cancel_->setObjectName(QStringLiteral("cancel"));
    cancel_->setAutoDefault(false);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Найдено наборов:"), this), 0, 0);
    grid->addWidget(sets_, 0, 1, Qt::AlignRight);
    grid->addWidget(new QLabel(QStringLiteral("Прошло времени:"), this), 1, 0);
    grid->addWidget(time_, 1, 1, Qt::AlignRight);
    grid->addWidget(cancel_, 2, 0, 1, 2, Qt::AlignHCenter);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    setProgress(0, 0);
}

void SearchProgress::setProgress(std::uint64_t setsFound, qint64 elapsedMs)
{
    // Grouped the way the program shows amounts.
    const QString separator = QString::fromStdString(CurrentFormatSettings().thousandSeparator);
    QString digits = QString::number(static_cast<qulonglong>(setsFound));
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3) digits.insert(at, separator);
    sets_->setText(digits);
    const qint64 seconds = elapsedMs / 1000;
    time_->setText(QStringLiteral("%1:%2:%3")
                       .arg(seconds / 3600)
                       .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                       .arg(seconds % 60, 2, 10, QLatin1Char('0')));
}
