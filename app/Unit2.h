#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class AmountEdit;
class DateEdit;

namespace talvesa {
class DataSource;
}

// The payment record dialog: three editors bound to the table's current record.
class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(talvesa::DataSource& dataSource, QWidget* parent = nullptr);
    ~TForm2() override;
};

extern TForm2* Form2;
