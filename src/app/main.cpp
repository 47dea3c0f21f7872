#include "app/Wintav32Program.h"

int main(int argc, char** argv) { return tav::RunWintav32(argc, argv); }
