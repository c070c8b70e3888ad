#include "file_dialog.h"

#include <QFileDialog>

FileDialog::FileDialog(Kind kind, QObject* parent) : QObject(parent), kind_(kind) {}

void FileDialog::setNextFileName(const QString& name)
{
    nextAnswer_ = Answer::Name;
    nextName_ = name;
}

void FileDialog::cancelNext() { nextAnswer_ = Answer::Cancel; }

std::optional<QString> FileDialog::execute(QWidget* parent)
{
    lastProposed_ = fileName_;
    std::optional<QString> chosen;
    if (nextAnswer_ != Answer::None) {
        if (nextAnswer_ == Answer::Name) chosen = nextName_;
        nextAnswer_ = Answer::None;
    } else {
        QFileDialog dialog(parent);
        dialog.setAcceptMode(kind_ == Kind::Open ? QFileDialog::AcceptOpen
                                                 : QFileDialog::AcceptSave);
        // A missing file fails later, in the load; an existing one is replaced without asking.
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
        if (!fileName_.isEmpty()) dialog.selectFile(fileName_);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            chosen = dialog.selectedFiles().constFirst();
    }
    if (chosen && !chosen->isEmpty()) fileName_ = *chosen;
    return chosen;
}
