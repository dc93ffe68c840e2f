/* Sends _NET_WM_PING to one X window, one ping at a time, and prints each round trip in milliseconds ("lost" when
 * no answer came within the timeout). Qt answers on its interface thread, so a gap here is a frozen interface.
 * usage: wm_ping WINDOW COUNT INTERVAL_MS TIMEOUT_MS */
#include <X11/Xlib.h>

#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

static double nowMs(void)
{
	struct timespec t;
	clock_gettime(CLOCK_MONOTONIC, &t);
	return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

int main(int argc, char **argv)
{
	if (argc != 5) {
		fprintf(stderr, "usage: wm_ping WINDOW COUNT INTERVAL_MS TIMEOUT_MS\n");
		return 2;
	}
	const Window window = strtoul(argv[1], NULL, 0);
	const int count = atoi(argv[2]), interval = atoi(argv[3]), timeout = atoi(argv[4]);
	Display *display = XOpenDisplay(NULL);
	if (display == NULL) {
		fprintf(stderr, "no X display\n");
		return 2;
	}
	const Window root = DefaultRootWindow(display);
	const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
	const Atom ping = XInternAtom(display, "_NET_WM_PING", False);
	/* The answer goes to the root window with the substructure masks; notify is enough to see it. */
	XSelectInput(display, root, SubstructureNotifyMask);
	for (long n = 1; n <= count; ++n) {
		XEvent event = {0};
		event.xclient.type = ClientMessage;
		event.xclient.window = window;
		event.xclient.message_type = protocols;
		event.xclient.format = 32;
		event.xclient.data.l[0] = (long)ping;
		event.xclient.data.l[1] = n; /* the timestamp field carries the ping's number */
		event.xclient.data.l[2] = (long)window;
		XSendEvent(display, window, False, NoEventMask, &event);
		XFlush(display);
		const double sent = nowMs();
		int answered = 0;
		while (!answered && nowMs() - sent < timeout) {
			while (XPending(display) > 0) {
				XEvent reply;
				XNextEvent(display, &reply);
				if (reply.type == ClientMessage && reply.xclient.message_type == protocols &&
				    (Atom)reply.xclient.data.l[0] == ping && reply.xclient.data.l[1] == n)
					answered = 1;
			}
			if (!answered) {
				struct pollfd p = {ConnectionNumber(display), POLLIN, 0};
				poll(&p, 1, 5);
			}
		}
		if (answered)
			printf("%.1f\n", nowMs() - sent);
		else
			printf("lost\n");
		fflush(stdout);
		struct timespec pause = {interval / 1000, (interval % 1000) * 1000000L};
		nanosleep(&pause, NULL);
	}
	XCloseDisplay(display);
	return 0;
}
