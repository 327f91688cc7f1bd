#include "shell/VeltrioApp.h"

int main(int argc, char** argv) { return VeltrioMain(argc, argv); }
