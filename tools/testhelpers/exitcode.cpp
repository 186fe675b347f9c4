// Ends with the exit code given as its argument (decimal, full 32 bits).
#include <cstdlib>

int main(int argc, char** argv) {
    return argc > 1 ? static_cast<int>(std::strtoul(argv[1], nullptr, 10)) : 0;
}
