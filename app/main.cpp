#include "Startup.h"

int main(int argc, char* argv[])
{
    return runSetupWizard(argc, argv);
}
