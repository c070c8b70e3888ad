#pragma once

// The start-up steps after the application object exists, shared by the program and the
// screenshot tool: fonts and icon, Form1, then Form2 bound to Form1's data link.
void InitApplication();
void CreateForms();
// Centres Form1 on the desktop, shows it and gives the results area the focus.
void ShowMainWindow();
// The windows and the table go; the search's work arrays are emptied last.
void DestroyForms();
