#include "app/qt/KestrelPlus.h"

int main(int argc, char** argv) { return kestrel::RunKestrelPlus(argc, argv); }
