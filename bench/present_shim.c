/* Preloaded into the game or the baseline by tools/run-benchmarks.sh: notes the wall-clock
 * time of every SDL_RenderPresent and, at exit, the process's CPU time and peak memory, into
 * the file KESTRAVEL_PRESENT_LOG names. The program itself is not touched. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <time.h>

#define MAX_STAMPS 200000

typedef struct SDL_Renderer SDL_Renderer;

static void (*realPresent)(SDL_Renderer*);
static double stamps[MAX_STAMPS];
static long presents;

static double wallSeconds(void) {
    struct timespec t;
    clock_gettime(CLOCK_REALTIME, &t);
    return (double)t.tv_sec + (double)t.tv_nsec / 1e9;
}

void SDL_RenderPresent(SDL_Renderer* renderer) {
    if (!realPresent) realPresent = (void (*)(SDL_Renderer*))dlsym(RTLD_NEXT, "SDL_RenderPresent");
    if (realPresent) realPresent(renderer);
    if (presents < MAX_STAMPS) stamps[presents] = wallSeconds();
    presents++;
}

__attribute__((destructor)) static void writeLog(void) {
    const char* path = getenv("KESTRAVEL_PRESENT_LOG");
    if (!path) return;
    FILE* out = fopen(path, "w");
    if (!out) return;
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    double cpu = (double)usage.ru_utime.tv_sec + (double)usage.ru_utime.tv_usec / 1e6 +
                 (double)usage.ru_stime.tv_sec + (double)usage.ru_stime.tv_usec / 1e6;
    fprintf(out, "cpu %.6f\nmaxrss_kb %ld\npresents %ld\nend %.6f\n", cpu, usage.ru_maxrss, presents, wallSeconds());
    for (long i = 0; i < presents && i < MAX_STAMPS; i++) fprintf(out, "%.6f\n", stamps[i]);
    fclose(out);
}
