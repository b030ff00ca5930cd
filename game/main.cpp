#include "zunk.h"

int main() { return zunkMain(); }
