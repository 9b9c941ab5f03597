#include "app/Program.h"

int main(int argc, char** argv) {
    return smx::app::run_program(argc, argv);
}
