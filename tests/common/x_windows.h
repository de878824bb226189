// Counts this process's hidden engine windows on the X server, so tests can
// tell that failure paths and thread exits leave no window behind. Other
// programs on the same display (tests run in parallel) are not counted.
#pragma once

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstring>
#include <unistd.h>

inline bool ownEngineWindow(Display *display, Window window, Atom pidAtom)
{
    char *name = nullptr;
    bool engine = XFetchName(display, window, &name) && name &&
                  std::strcmp(name, "Quorvel - RenderEngine") == 0;
    if (name)
        XFree(name);
    if (!engine)
        return false;
    Atom type;
    int format;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    bool ours = XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type,
                                   &format, &count, &after, &data) == Success &&
                data && count == 1 && *reinterpret_cast<unsigned long *>(data) ==
                                          static_cast<unsigned long>(getpid());
    if (data)
        XFree(data);
    return ours;
}

// Windows of other programs may close between listing and reading them: X
// errors on the counting connection are ignored rather than ending the test
// program (Xlib's default); errors on other connections go to the handler
// that was installed before.
struct IgnoreErrorsOn {
    static Display *&display() { static Display *d = nullptr; return d; }
    static XErrorHandler &previous() { static XErrorHandler h = nullptr; return h; }
    static int handle(Display *d, XErrorEvent *e) { return d == display() ? 0 : previous()(d, e); }

    explicit IgnoreErrorsOn(Display *d)
    {
        display() = d;
        previous() = XSetErrorHandler(handle);
    }
    ~IgnoreErrorsOn()
    {
        XSync(display(), False);  /* its errors arrive while ignored */
        XSetErrorHandler(previous());
        display() = nullptr;
    }
};

inline int engineWindowCount()
{
    Display *display = nullptr;
    for (int attempt = 0; attempt < 50 && !display; ++attempt) {  /* a busy server may refuse one */
        display = XOpenDisplay(nullptr);
        if (!display)
            usleep(20000);
    }
    if (!display)
        return -1;
    Window root, parent, *children = nullptr;
    unsigned int count = 0;
    int found = 0;
    Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    {
        IgnoreErrorsOn ignore(display);
        if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
            for (unsigned int i = 0; i < count; ++i)
                found += ownEngineWindow(display, children[i], pidAtom) ? 1 : 0;
            XFree(children);
        }
    }
    XCloseDisplay(display);
    return found;
}
