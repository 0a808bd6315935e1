#!/bin/sh
# Debian's chromium, ended with the process that started it, so that a test
# killed outright leaves no browser behind.
exec setpriv --pdeathsig KILL /usr/bin/chromium "$@"
