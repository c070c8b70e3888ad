#pragma once

#include <QObject>
#include <QString>
#include <optional>

class QWidget;

// The open and save dialogs (OD1, SD1): no filter, no default extension, no title or folder
// of their own, no overwrite or must-exist checks. Each remembers the name last chosen in it.
class FileDialog : public QObject {
    Q_OBJECT
public:
    enum class Kind { Open, Save };

    FileDialog(Kind kind, QObject* parent = nullptr);

    Kind kind() const { return kind_; }
    // The name the file-name box starts with.
    const QString& fileName() const { return fileName_; }

    // Shows the dialog modally; the chosen name, or nothing when the user cancels.
    std::optional<QString> execute(QWidget* parent);

    // Tests: the next execute() answers at once with this name, or as cancelled.
    void setNextFileName(const QString& name);
    void cancelNext();
    // What the last execute() proposed in the file-name box.
    const QString& lastProposed() const { return lastProposed_; }

private:
    enum class Answer { None, Name, Cancel };

    Kind kind_;
    QString fileName_;
    QString lastProposed_;
    Answer nextAnswer_ = Answer::None;
    QString nextName_;
};
