// What the signals that stop a program do to the game.
#include "frame/signals.h"

#include <csignal>
#include <initializer_list>

void restore_stop_signals()
{
    for (int stop : {SIGTERM, SIGINT, SIGHUP}) {
        struct sigaction action = {};
        action.sa_handler = SIG_DFL;
        sigemptyset(&action.sa_mask);
        sigaction(stop, &action, nullptr);
    }
}
