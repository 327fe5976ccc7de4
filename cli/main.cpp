#include "cli/cli.h"

int main(int argc, char** argv) { return pictora::cli::run(argc, argv); }
