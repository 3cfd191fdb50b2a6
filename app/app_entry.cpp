// Process entry point: hands the command line to WinMain and returns its exit code.
#include "app/app.h"

int main(int argc, char **argv)
{
    return app_main(argc, argv);
}
