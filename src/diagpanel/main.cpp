#include "diagpanel/NuxProgram.h"

int main(int argc, char** argv) { return nux::RunNux(argc, argv); }
