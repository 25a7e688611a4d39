// Stands in for the game under Wine: writes the arguments it was given, as SDL's entry point hands
// them to the game, into arguments.txt, each ended by a NUL so that any character can be checked.
#include <SDL_main.h>

#include <cstdio>

int main(int argc, char** argv) {
    std::FILE* out = std::fopen("arguments.txt", "wb");
    if (!out) return 1;
    for (int i = 1; i < argc; ++i) {
        std::fputs(argv[i], out);
        std::fputc('\0', out);
    }
    return std::fclose(out) == 0 ? 0 : 1;
}
