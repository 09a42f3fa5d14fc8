/* Watches a few screen pixels while a command runs and prints when each one
 * changes, in milliseconds from the moment the command was started. Used to
 * time how long a key press takes to show on the screen (Start to overlay).
 *
 *   screen_watch [--light] <timeout ms> <x,y> [<x,y> ...] -- command [args...]
 *
 * --light paints the root window light grey first, so that dimming shows.
 * Output: "start <ms>" (CLOCK_MONOTONIC_RAW, the clock of Wine's
 * QueryPerformanceCounter), then one line per change, "<ms> <point index> <rrggbb>"; at the end a
 * line "dimmed <ms>" with the first time the first point reached less than
 * 60 % of its starting luma (or "dimmed none"). A pixel read takes one
 * XGetImage round trip (well under a millisecond on Xvfb). */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#define MAX_POINTS 16

static double now_ms(void) {
    struct timespec t;
    /* The clock of Wine's QueryPerformanceCounter, so that a program's own
     * time stamps line up with these. */
    clock_gettime(CLOCK_MONOTONIC_RAW, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

static unsigned long pixel_at(Display* d, Window root, int x, int y) {
    XImage* img = XGetImage(d, root, x, y, 1, 1, AllPlanes, ZPixmap);
    if (img == NULL) return 0;
    unsigned long p = XGetPixel(img, 0, 0) & 0xFFFFFF;
    XDestroyImage(img);
    return p;
}

static int luma(unsigned long p) {
    return (int)((299 * ((p >> 16) & 0xFF) + 587 * ((p >> 8) & 0xFF) + 114 * (p & 0xFF)) / 1000);
}

int main(int argc, char** argv) {
    int a = 1, light = 0;
    if (a < argc && strcmp(argv[a], "--light") == 0) { light = 1; ++a; }
    if (a >= argc) { fprintf(stderr, "usage: screen_watch [--light] ms x,y... -- command\n"); return 2; }
    const double timeout = atof(argv[a++]);
    int xs[MAX_POINTS], ys[MAX_POINTS], n = 0;
    for (; a < argc && strcmp(argv[a], "--") != 0; ++a) {
        if (n == MAX_POINTS || sscanf(argv[a], "%d,%d", &xs[n], &ys[n]) != 2) { fprintf(stderr, "bad point %s\n", argv[a]); return 2; }
        ++n;
    }
    if (n == 0 || a + 1 >= argc) { fprintf(stderr, "no points or no command\n"); return 2; }
    char** command = argv + a + 1;

    setvbuf(stdout, NULL, _IOLBF, 0);
    Display* d = XOpenDisplay(NULL);
    if (d == NULL) { fprintf(stderr, "no display\n"); return 2; }
    Window root = DefaultRootWindow(d);
    if (light) {
        XSetWindowBackground(d, root, 0xD8D8D8);
        XClearWindow(d, root);
        XSync(d, False);
    }
    unsigned long last[MAX_POINTS];
    for (int i = 0; i < n; ++i) last[i] = pixel_at(d, root, xs[i], ys[i]);
    const int startLuma = luma(last[0]);
    for (int i = 0; i < n; ++i) printf("0.0 %d %06lx\n", i, last[i]);

    const double t0 = now_ms();
    printf("start %.1f\n", t0);
    pid_t child = fork();
    if (child == 0) {
        execvp(command[0], command);
        _exit(127);
    }
    double dimmed = -1;
    for (;;) {
        const double t = now_ms() - t0;
        if (t > timeout) break;
        for (int i = 0; i < n; ++i) {
            const unsigned long p = pixel_at(d, root, xs[i], ys[i]);
            if (p != last[i]) {
                printf("%.1f %d %06lx\n", t, i, p);
                last[i] = p;
            }
        }
        if (dimmed < 0 && luma(last[0]) * 10 < startLuma * 6) {
            dimmed = t;
            /* A little longer, to see whether the picture changes again. */
        }
        if (dimmed >= 0 && t > dimmed + 300) break;
        usleep(1000);
    }
    /* A command that is still running (a program being started) is left to run. */
    int status = 0;
    waitpid(child, &status, WNOHANG);
    if (dimmed >= 0) printf("dimmed %.1f\n", dimmed);
    else printf("dimmed none\n");
    XCloseDisplay(d);
    return 0;
}
