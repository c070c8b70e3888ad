#pragma once

#include <QDialog>
#include <cstdint>

class QLabel;
class QPushButton;

// The small modal window of a long Find run: sets found so far, time taken, "Отмена".
// Closing it in any way other than accept() asks the run to stop.
class SearchProgress : public QDialog {
    Q_OBJECT
public:
    explicit SearchProgress(QWidget* parent = nullptr);

    void setProgress(std::uint64_t setsFound, qint64 elapsedMs);

    QLabel* setsLabel() const { return sets_; }
    QLabel* timeLabel() const { return time_; }
    QPushButton* cancelButton() const { return cancel_; }

private:
    QLabel* sets_ = nullptr;
    QLabel* time_ = nullptr;
    QPushButton* cancel_ = nullptr;
};
