// Add and Edit: the main window's commands around the record dialog.
#include "Unit1.h"
#include "Unit2.h"

namespace {

// Shows the dialog over the record the table is entering, then stores or drops it.
void RunRecordDialog(talvesa::TdxMemData& table)
{
    if (Form2->exec() != TForm2::mrOk) {
        table.Cancel();
        return;
    }
    try {
        table.Post();
    } catch (...) {
        // The record stays in insert or edit state in the grid. Text the hidden dialog could
        // not read would otherwise fail every later store from the grid as well.
        Form2->DropUnwritten();
        throw;
    }
}

}  // namespace

void TForm1::Button3Click()
{
    dxMemData1->Insert();
    RunRecordDialog(*dxMemData1);
}

void TForm1::Button4Click()
{
    // Continues a change begun in the grid; on an empty table this is an Insert.
    dxMemData1->Edit();
    RunRecordDialog(*dxMemData1);
}
