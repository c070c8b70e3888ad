#include "application.h"
#include "regional_settings.h"
#include "startup.h"

int main(int argc, char* argv[])
{
    RegionalSettings::instance();
    TalvesaApplication app(argc, argv);
    InitApplication();
    CreateForms();
    ShowMainWindow();
    const int result = TalvesaApplication::exec();
    DestroyForms();
    return result;
}
