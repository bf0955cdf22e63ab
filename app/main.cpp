// main.cpp -- the process entry of tarvik01
#include "app/startup.h"

int main(int argc, char** argv) { return runTarvik(argc, argv); }
