// Add and Edit: the main window's commands around the record dialog.
#include "Unit1.h"
#include "Unit2.h"

void TForm1::Button3Click() {}
void TForm1::Button4Click() {}
