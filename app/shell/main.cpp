// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/VeltrioApp.h"

int main(int argc, char** argv) { return VeltrioMain(argc, argv); }
