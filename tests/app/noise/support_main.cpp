// The sun-noise windows run in the main window test set-up.
#include "../main/support_main.cpp"
