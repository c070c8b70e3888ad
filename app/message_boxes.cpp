#include "message_boxes.h"

#include <QMessageBox>

namespace {

struct Recorder {
    bool on = false;
    std::deque<bool> answers;
    std::vector<MessageBoxes::Shown> shown;
};

Recorder& recorder()
{
    static Recorder r;
    return r;
}

}  // namespace

void MessageBoxes::showError(QWidget* parent, const QString& title, const QString& text)
{
    if (recorder().on) {
        recorder().shown.push_back({Shown::Kind::Error, title, text});
        return;
    }
    QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok, parent);
    box.exec();
}

bool MessageBoxes::confirm(QWidget* parent, const QString& title, const QString& text)
{
    if (recorder().on) {
        recorder().shown.push_back({Shown::Kind::Confirm, title, text});
        if (recorder().answers.empty()) return true;
        const bool ok = recorder().answers.front();
        recorder().answers.pop_front();
        return ok;
    }
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Ok | QMessageBox::Cancel,
                    parent);
    box.setDefaultButton(QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok;
}

void MessageBoxes::startRecording()
{
    recorder().on = true;
    recorder().answers.clear();
    recorder().shown.clear();
}

void MessageBoxes::stopRecording() { recorder().on = false; }

void MessageBoxes::queueAnswer(bool ok) { recorder().answers.push_back(ok); }

std::vector<MessageBoxes::Shown> MessageBoxes::takeShown()
{
    std::vector<Shown> shown;
    shown.swap(recorder().shown);
    return shown;
}
