#include "Startup.h"
#include "ZorpApplication.h"

int main(int argc, char* argv[])
{
    // The program takes no command-line options, and Qt's own are not read either.
    int qtArgc = 1;
    (void)argc;
    TZorpApplication app(qtArgc, argv);
    return RunProgram(app);
}
