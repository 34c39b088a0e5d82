// The program's entry: one run per invocation.
#include "app/run.h"

int main(int argc, char** argv) { return tamboro::RunMain(argc, argv); }
