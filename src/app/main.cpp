// STUB: the program's entry (the window, or --script FILE).
#include <iostream>
int main() { std::cerr << "varnel: not built yet\n"; return 1; }
