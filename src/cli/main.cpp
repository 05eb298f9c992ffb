#include <cstdio>

int main(int argc, char** argv) {
    (void)argc;
    (void)argv;
    std::puts("quiravel-cli " QV_VERSION);
    return 0;
}
