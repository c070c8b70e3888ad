#include "startup.h"

#include <QApplication>
#include <QIcon>
#include <QPlainTextEdit>

#include "find_command.h"
#include "Unit1.h"
#include "Unit2.h"

void InitApplication()
{
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/talvesa/talvesa.svg")));
    QApplication::setFont(WindowFont());
}

void CreateForms()
{
    Form1 = new TForm1;
    Form2 = new TForm2(*Form1->DataSource1, Form1);
}

void ShowMainWindow()
{
    Form1->centerOnDesktop();
    Form1->show();
    Form1->activateWindow();
    Form1->cxMemo1->setFocus(Qt::ActiveWindowFocusReason);
}

void DestroyForms()
{
    delete Form1;
    Form1 = nullptr;
    Form2 = nullptr;
    talvesa::Candidates.clear();
    talvesa::Selection.clear();
}
