/* The watcher of the start-up measurement: waits until a top-level window whose class is CLASS
   shows a painted frame, one that is not a single colour all over (whatever the colours), and
   ends with status 0; status 1 when none is seen within TIMEOUT-MS milliseconds, 2 without a
   display. Polls about every millisecond.
     WaitForPaintedWindow CLASS TIMEOUT-MS */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static long long NowMs(void) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (long long)now.tv_sec * 1000 + now.tv_nsec / 1000000;
}

/* The first window below parent (depth first) with that class, or 0. */
static Window FindByClass(Display* display, Window parent, const char* wanted) {
    Window root, up, *children = NULL;
    unsigned int count = 0;
    Window found = 0;
    if (!XQueryTree(display, parent, &root, &up, &children, &count)) {
        return 0;
    }
    for (unsigned int i = 0; i < count && found == 0; ++i) {
        XClassHint hint;
        if (XGetClassHint(display, children[i], &hint)) {
            if ((hint.res_class != NULL && strcmp(hint.res_class, wanted) == 0) ||
                (hint.res_name != NULL && strcmp(hint.res_name, wanted) == 0)) {
                found = children[i];
            }
            XFree(hint.res_name);
            XFree(hint.res_class);
        }
        if (found == 0) {
            found = FindByClass(display, children[i], wanted);
        }
    }
    if (children != NULL) {
        XFree(children);
    }
    return found;
}

static int IgnoreErrors(Display* display, XErrorEvent* error) {
    (void)display;
    (void)error;
    return 0;
}

/* 1 when the window's picture has more than one colour. */
static int Painted(Display* display, Window window) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes) || attributes.map_state != IsViewable ||
        attributes.width < 1 || attributes.height < 1) {
        return 0;
    }
    XImage* image = XGetImage(display, window, 0, 0, (unsigned)attributes.width, (unsigned)attributes.height,
                              AllPlanes, ZPixmap);
    if (image == NULL) {
        return 0;
    }
    const unsigned long mask = image->red_mask | image->green_mask | image->blue_mask;
    int painted = 0;
    if (image->bits_per_pixel == 32) {
        /* Whole rows of 32-bit pixels read directly: a poll of an unpainted window stays short. */
        const unsigned int colour = (unsigned int)mask;
        unsigned int reference;
        memcpy(&reference, image->data, 4);
        reference &= colour;
        for (int y = 0; y < image->height && !painted; ++y) {
            const char* row = image->data + (long)y * image->bytes_per_line;
            for (int x = 0; x < image->width; ++x) {
                unsigned int pixel;
                memcpy(&pixel, row + (long)x * 4, 4);
                if ((pixel & colour) != reference) {
                    painted = 1;
                    break;
                }
            }
        }
        XDestroyImage(image);
        return painted;
    }
    const unsigned long first = XGetPixel(image, 0, 0) & mask;
    for (int y = 0; y < image->height && !painted; ++y) {
        for (int x = 0; x < image->width; ++x) {
            if ((XGetPixel(image, x, y) & mask) != first) {
                painted = 1;
                break;
            }
        }
    }
    XDestroyImage(image);
    return painted;
}

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: WaitForPaintedWindow CLASS TIMEOUT-MS\n");
        return 2;
    }
    const long long deadline = NowMs() + atoll(argv[2]);
    Display* display = XOpenDisplay(NULL);
    if (display == NULL) {
        fprintf(stderr, "WaitForPaintedWindow: no display\n");
        return 2;
    }
    /* A window may go between finding it and reading it. */
    XSetErrorHandler(IgnoreErrors);
    const struct timespec pause = {0, 1000000};
    while (NowMs() < deadline) {
        const Window window = FindByClass(display, DefaultRootWindow(display), argv[1]);
        if (window != 0 && Painted(display, window)) {
            XCloseDisplay(display);
            return 0;
        }
        nanosleep(&pause, NULL);
    }
    XCloseDisplay(display);
    return 1;
}
