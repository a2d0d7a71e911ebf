#include <cstdio>

int main() {
    std::puts("Skylet Preset Editor");
    return 0;
}
