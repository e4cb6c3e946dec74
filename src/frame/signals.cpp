// What the signals that stop a program do to the game, and to the message box it may show.
#include "frame/signals.h"

#include <X11/Xlib.h>
#include <csignal>
#include <cstdio>
#include <pthread.h>
#include <sys/prctl.h>
#include <unistd.h>

static const int STOP_SIGNALS[] = {SIGTERM, SIGINT, SIGHUP};
static const int STOP_SIGNAL_COUNT = sizeof STOP_SIGNALS / sizeof STOP_SIGNALS[0];
static bool ignored_at_start[STOP_SIGNAL_COUNT] = {};
static pid_t game_pid = 0;
static const int LOST_DISPLAY_STATUS = 1;
static const int LINE_SIZE = 256;

void note_ignored_stop_signals()
{
    for (int i = 0; i < STOP_SIGNAL_COUNT; i++) {
        struct sigaction action = {};
        ignored_at_start[i] =
            sigaction(STOP_SIGNALS[i], nullptr, &action) == 0 && action.sa_handler == SIG_IGN;
    }
}

void restore_stop_signals()
{
    for (int i = 0; i < STOP_SIGNAL_COUNT; i++) {
        struct sigaction action = {};
        action.sa_handler = ignored_at_start[i] ? SIG_IGN : SIG_DFL;
        sigemptyset(&action.sa_mask);
        sigaction(STOP_SIGNALS[i], &action, nullptr);
    }
}

// Runs in every child the game forks, before it starts the message box: the child gets SIGTERM
// when the game ends, and ends at once should the game have ended already.
static void tie_child_to_the_game()
{
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != game_pid)
        _exit(1);
}

void end_message_boxes_with_the_game()
{
    game_pid = getpid();
    pthread_atfork(nullptr, nullptr, tie_child_to_the_game);
}

static int display_lost(Display *display)
{
    char line[LINE_SIZE];
    int length = std::snprintf(line, sizeof line,
                               "Void Sentinel: the connection to the X display %s was lost\n",
                               DisplayString(display));
    if (length > 0 && write(STDERR_FILENO, line, length < LINE_SIZE ? length : LINE_SIZE - 1) < 0) {
        // Nothing more can be told.
    }
    _exit(LOST_DISPLAY_STATUS);
}

void end_quietly_when_the_display_is_lost()
{
    XSetIOErrorHandler(display_lost);
}
