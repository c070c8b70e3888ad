#include "Unit2.h"

#include "data_source.h"

TForm2* Form2 = nullptr;

TForm2::TForm2(talvesa::DataSource& /*dataSource*/, QWidget* parent) : QDialog(parent) {}

TForm2::~TForm2() = default;
