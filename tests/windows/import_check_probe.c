/* A program that imports zlib1.dll, for the import check to refuse. */
#include <zlib.h>

int main(void) { return zlibVersion()[0] == '1' ? 0 : 1; }
