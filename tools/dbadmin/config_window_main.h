#pragma once
// The configuration program started without arguments: its window, for the
// configuration file in the program's own folder.

int runConfigWindow(int &argc, char **argv);
