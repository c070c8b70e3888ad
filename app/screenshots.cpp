// Drives the real window through its start, a loaded list with Find done, a narrow window and
// the about box, and saves each as a PNG for review. Not installed; the program itself keeps
// no command-line options.
#include <QApplication>
#include <QDir>
#include <QPlainTextEdit>
#include <QTimer>
#include <cstdio>

#include "about_box.h"
#include "amount_edit.h"
#include "application.h"
#include "date_edit.h"
#include "file_dialog.h"
#include "payment_grid.h"
#include "search_progress.h"
#include "startup.h"
#include "Unit1.h"
#include "Unit2.h"

namespace {

void Settle()
{
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
        QApplication::sendPostedEvents();
    }
}

bool Save(QWidget* widget, const QString& path)
{
    Settle();
    const bool ok = widget->grab().save(path);
    std::printf("%s %s\n", ok ? "saved" : "FAILED", qPrintable(path));
    std::fflush(stdout);
    return ok;
}

}  // namespace

int main(int argc, char* argv[])
{
    TalvesaApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <output-folder> <payment-list-file>\n", argv[0]);
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const QString list = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(out);

    InitApplication();
    CreateForms();
    ShowMainWindow();
    bool ok = Save(Form1, out + "/01-start.png");

    Form1->OD1->setNextFileName(list);
    RunCommand([] { Form1->Button1Click(); });
    // A target the example list can make up, so that the results area has a report.
    Form1->cxCurrencyEdit1->setValue(1000.0);
    RunCommand([] { Form1->Button6Click(); });
    ok &= Save(Form1, out + "/02-loaded-and-found.png");

    const QSize designed = Form1->size();
    Form1->resize(360, designed.height());
    ok &= Save(Form1, out + "/03-narrow.png");
    Form1->resize(designed);

    // The grid with the date cell's editor open and its calendar dropped down.
    Form1->cxGrid1->setFocus();
    Form1->cxGrid1->setCurrentIndex(Form1->cxGrid1->model()->index(1, 1));
    Form1->cxGrid1->edit(Form1->cxGrid1->currentIndex());
    Settle();
    if (auto* date = Form1->cxGrid1->findChild<DateEdit*>()) {
        ok &= Save(Form1->cxGrid1, out + "/04-grid-date-cell.png");
        date->showPopup();
        Settle();
        ok &= Save(date->popup(), out + "/04-date-popup.png");
        date->popup()->hide();
    }
    Form1->cxMemo1->setFocus();
    Settle();

    // The record dialog as Edit shows it over the current payment.
    QTimer::singleShot(0, [&ok, out] {
        if (Form2->isVisible()) ok &= Save(Form2, out + "/06-record-dialog.png");
        else ok = false;
        Form2->done(TForm2::mrCancel);
    });
    RunCommand([] { Form1->Button4Click(); });

    {
        SearchProgress progress(Form1);
        progress.setProgress(48620, 83000);
        progress.show();
        ok &= Save(&progress, out + "/07-search-progress.png");
    }

    {
        AboutBox about(Form1);
        about.show();
        ok &= Save(&about, out + "/05-about.png");
    }

    DestroyForms();
    return ok ? 0 : 1;
}
