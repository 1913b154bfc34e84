/* SPDX-License-Identifier: MIT */
/* The least a program can do to print the date: the yardstick for tstamp's start-up cost. */
#include <stdio.h>
#include <time.h>

int main(int argc, char **argv) {
    const char *format = argc > 1 && argv[1][0] == '+' ? argv[1] + 1 : "%c";
    char line[250];
    time_t now = time(NULL);
    if (strftime(line, sizeof line - 1, format, localtime(&now)) == 0) {
        line[0] = '\0';
    }
    puts(line);
    return 0;
}
