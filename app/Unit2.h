#pragma once

#include <QDialog>
#include <QPoint>
#include <QPointer>
#include <memory>
#include <optional>

#include "format_settings.h"

class QLabel;
class QLineEdit;
class QPushButton;
class AmountEdit;
class DateEdit;

namespace talvesa {
class DataSource;
class TField;
}

// The payment record dialog: three editors bound to the table's current record. It holds
// no data: the commands around it put the table into insert or edit state and Post or
// Cancel after it closes. Delete it before the data link it was built with.
class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(talvesa::DataSource& dataSource, QWidget* parent = nullptr);
    ~TForm2() override;

    // Modal results.
    static constexpr int mrOk = 1;
    static constexpr int mrCancel = 2;

    void setFormatSettings(const talvesa::FormatSettings& settings);

    // Forgets the text the editors hold unwritten and shows the current record again.
    void DropUnwritten();

    // Shows the dialog modally; 1 after "ОК", 2 after "Отмена", the close button, or when the
    // application is ending.
    int exec() override;
    void done(int result) override;
    void reject() override;

    QLabel* cxLabel2 = nullptr;  // Платеж
    QLineEdit* cxDBTextEdit1 = nullptr;
    QLabel* cxLabel1 = nullptr;  // Дата
    DateEdit* cxDBDateEdit1 = nullptr;
    QLabel* cxLabel3 = nullptr;  // Сумма
    AmountEdit* cxDBCurrencyEdit1 = nullptr;
    QPushButton* Button1 = nullptr;  // ОК
    QPushButton* Button2 = nullptr;  // Отмена

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class EditorLink;

    void buildLayout();
    void placeFirstTime();
    // Re-reads every editor from the current record, dropping unwritten text.
    void showRecord();
    void showField(const talvesa::TField& field);
    // Writes the editor's unwritten text into its field; throws when it does not read,
    // after giving the editor the focus back.
    void writeName();
    void writeDate();
    void writeAmount();
    // Writes every editor that reads; the first error, if any, is rethrown afterwards.
    void writeAll();
    void storeName();
    void storeDate(std::optional<double> value);
    void storeAmount(std::optional<double> value);
    void revertEditor(QObject* editor);
    void beginEdit();
    QWidget* editorOf(QObject* watched) const;

    talvesa::DataSource& dataSource_;
    std::unique_ptr<EditorLink> link_;
    talvesa::TField& nameField_;
    talvesa::TField& dateField_;
    talvesa::TField& payField_;
    bool nameChanged_ = false;
    bool showing_ = false;       // filling the editors from the table
    bool startingEdit_ = false;  // our own AutoEdit: the editor keeps what was just typed
    bool shownBefore_ = false;
    QPoint lastPos_;
    QPointer<QWidget> lastFocus_;
};

extern TForm2* Form2;
