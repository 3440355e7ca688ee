#include <cstdio>

int main() {
    std::fputs("tarpel-cli: aun no hay ordenes\n", stderr);
    return 2;
}
